// The walk-through in the browser: the web runtime (the page index.html,
// the program mirtal.js and mirtal.wasm, from tools/build_web.sh) with a
// scene beside it, as one self-contained HTML file to open from the disk,
// or as a folder for a web server. Entry points: findWebKit(), makePack(),
// base64Encode(), webPageWithPack(), writeWebPage(), writeWebFolder().
//
// The page gets its files from a pack: a gzip stream (RFC 1952: mtime 0,
// no file name, OS byte 255, deflate level 9) of a plain archive in which
// each file is one header line "<decimal byte count> <name>\n" followed by
// exactly that many bytes, files in byte order of name; a name is
// relative, '/'-separated, with no ".." and no newline. The scene's files
// are entries scene/<file name>, as they are.
// - The single HTML file: index.html with its one placeholder
//   (WebPackPlaceholder) filled with the base64 (RFC 4648, no line breaks)
//   of a pack of mirtal.js, mirtal.wasm and scene/...; nothing else of the
//   page changes.
// - The web-server folder: index.html, mirtal.js and mirtal.wasm as in the
//   runtime, and scene.pack, a pack of the scene/... entries alone, which
//   the page fetches when its placeholder is empty.
#pragma once

#include <string>
#include <vector>

// The element of index.html that the single HTML file fills, as the page
// has it (empty), once.
constexpr const char* WebPackPlaceholder =
    "<script id=\"mirtal-pack\" type=\"application/octet-stream\"></script>";

// The runtime's files, by path.
struct WebKit {
    std::string page;    // index.html
    std::string script;  // mirtal.js
    std::string wasm;    // mirtal.wasm
};

// Finds the runtime for a tool whose own file is toolPath: first where the
// Debian package puts it, ../share/mirtal/web beside the tool's folder;
// then in a source tree, build-web/runtime/ (tools/build_web.sh) in the
// tool's folder or one of its three nearest ancestors. Returns false with a
// message naming the places looked at if there is none.
bool findWebKit(const std::string& toolPath, WebKit& kit, std::string& error);
// The runtime in one given folder; false with a message if it lacks a file.
bool webKitIn(const std::string& folder, WebKit& kit, std::string& error);

struct PackEntry {
    std::string name;   // relative, '/'-separated
    std::string bytes;
};

// The pack of entries (in any order: the pack holds them in byte order of
// name). False with a message for a name the pack cannot hold (empty,
// absolute, with "..", an empty part or a newline) or one given twice.
bool makePack(std::vector<PackEntry> entries, std::string& pack, std::string& error);

// RFC 4648 base64 with padding and no line breaks.
std::string base64Encode(const std::string& bytes);

// The page with its placeholder filled with the base64 of pack; false with a
// message if the page has the placeholder not exactly once.
bool webPageWithPack(const std::string& page, const std::string& pack, std::string& html,
                     std::string& error);

// Whether htmlPath may be written, before any work (as the Windows zip's
// place: not an existing file unless replace, in a folder that can be
// written). False with a one-line message naming htmlPath.
bool checkWebPagePlace(const std::string& htmlPath, bool replace, std::string& error);

// Writes the single HTML file of the scene folder's files (the 23 scene
// files, nothing else of the folder), whole or not at all. The same files
// give the same bytes. False with a one-line message.
bool writeWebPage(const std::string& htmlPath, const std::string& sceneFolder, const WebKit& kit,
                  bool replace, std::string& error);

// Makes the web-server folder, which must not exist yet (its parent must),
// with the runtime's three files and scene.pack. False with a one-line
// message, leaving no folder.
bool writeWebFolder(const std::string& folder, const std::string& sceneFolder, const WebKit& kit,
                    std::string& error);
