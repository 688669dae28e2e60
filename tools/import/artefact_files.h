// What the walk-through artefacts (the Windows zip, the web page) share:
// where a tool finds the program files that go into them, whether an
// artefact's file may be written, and writing it whole or not at all.
// Entry points: sceneFilesInNameOrder(), findKitFolder(),
// checkArtefactPlace(), readWholeFile(), writeFileWhole().
#pragma once

#include <functional>
#include <string>
#include <vector>

// The scene's own files (the importer's list, sceneFileNames()) in byte
// order of their names: what of a scene folder goes into an artefact.
std::vector<std::string> sceneFilesInNameOrder();

bool isRegularFile(const std::string& path);
// The folder part of a path: "." for a bare name, "/" for one in the root.
std::string folderOfPath(const std::string& path);

// Where findKitFolder looked, for the message when it found nothing.
struct KitSearch {
    std::string found;      // the kit's folder, or empty
    std::string installed;  // ../share/mirtal/<installed> beside the tool's folder
    std::string toolFolder; // the tool's own folder, symbolic links resolved
};

// Finds a kit for a tool whose own file is toolPath: first where the Debian
// package puts it, ../share/mirtal/<installed> beside the tool's folder;
// then in a source tree, <built> in the tool's folder or one of its three
// nearest ancestors (a build folder sits in the source tree). `holdsKit`
// says whether a folder holds the whole kit.
KitSearch findKitFolder(const std::string& toolPath, const std::string& installed,
                        const std::string& built,
                        const std::function<bool(const std::string&)>& holdsKit);

// Whether path may be written, before any work: not an existing file
// unless replace, not a folder, and in a folder that exists and can be
// written (the file is written beside and renamed). `kind` names the file
// ("zip file"), `what` the artefact ("the zip"). Returns false with a
// one-line message naming path.
bool checkArtefactPlace(const std::string& path, bool replace, const char* kind, const char* what,
                        std::string& error);

// The bytes of a file; false if it cannot be read.
bool readWholeFile(const std::string& path, std::string& bytes);

// Writes bytes to path whole or not at all: into a new file beside it,
// renamed over it once complete, with a new file's permissions. Checks the
// place as checkArtefactPlace does. Returns false with a one-line message.
bool writeFileWhole(const std::string& path, const std::string& bytes, bool replace,
                    const char* kind, const char* what, std::string& error);
