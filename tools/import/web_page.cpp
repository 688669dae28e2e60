// The web walk-through: packs compressed with zlib, the single HTML file
// and the web-server folder. See web_page.h.
#include "web_page.h"

#include "artefact_files.h"
#include "import.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The runtime's files, as the page and the packs name them.
constexpr const char* PageName = "index.html";
constexpr const char* ScriptName = "mirtal.js";
constexpr const char* WasmName = "mirtal.wasm";
constexpr const char* ScenePackName = "scene.pack";

bool nameFitsPack(const std::string& name)
{
    if (name.empty() || name.front() == '/' || name.find('\n') != std::string::npos)
        return false;
    for (std::size_t start = 0; start <= name.size();) {
        std::size_t end = name.find('/', start);
        if (end == std::string::npos)
            end = name.size();
        const std::string part = name.substr(start, end - start);
        if (part.empty() || part == "..")
            return false;
        start = end + 1;
    }
    return true;
}

// RFC 1952 gzip of bytes with no time, no name and "unknown" operating
// system, so that the same bytes always give the same stream.
bool gzipFixed(const std::string& bytes, std::string& out)
{
    z_stream stream{};
    if (deflateInit2(&stream, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    gz_header header{};
    header.os = 255;
    if (deflateSetHeader(&stream, &header) != Z_OK) {
        deflateEnd(&stream);
        return false;
    }
    out.resize(deflateBound(&stream, static_cast<uLong>(bytes.size())));
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return status == Z_STREAM_END;
}

// The scene folder's files as pack entries scene/<name>.
bool sceneEntries(const std::string& sceneFolder, std::vector<PackEntry>& entries,
                  std::string& error)
{
    for (const std::string& name : sceneFilesInNameOrder()) {
        PackEntry entry{"scene/" + name, {}};
        if (!readWholeFile(sceneFolder + "/" + name, entry.bytes)) {
            error = sceneFolder + "/" + name + ": cannot be read, so it cannot go in the page";
            return false;
        }
        entries.push_back(std::move(entry));
    }
    return true;
}

bool readKitFile(const std::string& path, std::string& bytes, std::string& error)
{
    if (readWholeFile(path, bytes))
        return true;
    error = path + ": cannot be read";
    return false;
}

}  // namespace

bool webKitIn(const std::string& folder, WebKit& kit, std::string& error)
{
    for (const char* name : {PageName, ScriptName, WasmName})
        if (!isRegularFile(folder + "/" + name)) {
            error = folder + ": no " + name + " there";
            return false;
        }
    kit = {folder + "/" + PageName, folder + "/" + ScriptName, folder + "/" + WasmName};
    return true;
}

bool findWebKit(const std::string& toolPath, WebKit& kit, std::string& error)
{
    std::string ignored;
    const KitSearch search =
        findKitFolder(toolPath, "web", "build-web/runtime",
                      [&](const std::string& folder) { return webKitIn(folder, kit, ignored); });
    if (!search.found.empty())
        return true;
    error = "no web build of Mirtal to put in the page: neither " + search.installed
            + "/ (the Debian package's) nor build-web/runtime/ near " + search.toolFolder
            + " (tools/build_web.sh makes it) holds index.html, mirtal.js and mirtal.wasm";
    return false;
}

bool makePack(std::vector<PackEntry> entries, std::string& pack, std::string& error)
{
    std::sort(entries.begin(), entries.end(),
              [](const PackEntry& a, const PackEntry& b) { return a.name < b.name; });
    std::string archive;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const PackEntry& entry = entries[i];
        if (!nameFitsPack(entry.name)) {
            error = "\"" + entry.name + "\" cannot be a name in a pack";
            return false;
        }
        if (i > 0 && entries[i - 1].name == entry.name) {
            error = entry.name + " is given twice for the pack";
            return false;
        }
        archive += std::to_string(entry.bytes.size()) + " " + entry.name + "\n";
        archive += entry.bytes;
    }
    if (!gzipFixed(archive, pack)) {
        error = "zlib cannot compress the pack";
        return false;
    }
    return true;
}

std::string base64Encode(const std::string& bytes)
{
    static const char Alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        std::uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
        if (left > 1)
            group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (left > 2)
            group |= static_cast<unsigned char>(bytes[i + 2]);
        out += Alphabet[group >> 18 & 63];
        out += Alphabet[group >> 12 & 63];
        out += left > 1 ? Alphabet[group >> 6 & 63] : '=';
        out += left > 2 ? Alphabet[group & 63] : '=';
    }
    return out;
}

bool webPageWithPack(const std::string& page, const std::string& pack, std::string& html,
                     std::string& error)
{
    const std::string placeholder = WebPackPlaceholder;
    const std::size_t at = page.find(placeholder);
    if (at == std::string::npos || page.find(placeholder, at + 1) != std::string::npos) {
        error = std::string("the page has not exactly one ") + placeholder + " to fill";
        return false;
    }
    // The base64 goes between the element's tags.
    const std::size_t inside = at + placeholder.find("</script>");
    html = page.substr(0, inside) + base64Encode(pack) + page.substr(inside);
    return true;
}

bool checkWebPagePlace(const std::string& htmlPath, bool replace, std::string& error)
{
    return checkArtefactPlace(htmlPath, replace, "HTML file", "the page", error);
}

bool writeWebPage(const std::string& htmlPath, const std::string& sceneFolder, const WebKit& kit,
                  bool replace, std::string& error)
{
    importStageStarts("page");
    std::vector<PackEntry> entries{{ScriptName, {}}, {WasmName, {}}};
    std::string page, pack, html;
    if (!readKitFile(kit.script, entries[0].bytes, error) ||
        !readKitFile(kit.wasm, entries[1].bytes, error) || !readKitFile(kit.page, page, error) ||
        !sceneEntries(sceneFolder, entries, error) ||
        !checkWebPagePlace(htmlPath, replace, error))
        return false;
    if (!makePack(std::move(entries), pack, error) || !webPageWithPack(page, pack, html, error)) {
        error = kit.page + ": " + error;
        return false;
    }
    return writeFileWhole(htmlPath, html, replace, "HTML file", "the page", error);
}

bool writeWebFolder(const std::string& folder, const std::string& sceneFolder, const WebKit& kit,
                    std::string& error)
{
    struct stat info;
    if (lstat(folder.c_str(), &info) == 0) {
        error = folder + ": exists already";
        return false;
    }
    std::vector<PackEntry> scene;
    std::string pack;
    std::vector<std::pair<const char*, std::string>> files{
        {PageName, {}}, {ScriptName, {}}, {WasmName, {}}};
    if (!readKitFile(kit.page, files[0].second, error) ||
        !readKitFile(kit.script, files[1].second, error) ||
        !readKitFile(kit.wasm, files[2].second, error) ||
        !sceneEntries(sceneFolder, scene, error) || !makePack(std::move(scene), pack, error))
        return false;
    files.emplace_back(ScenePackName, std::move(pack));

    // Filled under another name beside it and renamed once complete.
    std::string temporary = folderOfPath(folder) + "/.mirtal-web-XXXXXX";
    if (!mkdtemp(temporary.data())) {
        error = folder + ": cannot make the folder";
        return false;
    }
    const mode_t mask = umask(0);
    umask(mask);
    bool written = chmod(temporary.c_str(), 0777 & ~mask) == 0;
    for (const auto& [name, bytes] : files)
        written = written && writeFileWhole(temporary + "/" + name, bytes, false, "file",
                                            "the file", error);
    if (!written || std::rename(temporary.c_str(), folder.c_str()) != 0) {
        for (const auto& file : files)
            std::remove((temporary + "/" + file.first).c_str());
        rmdir(temporary.c_str());
        error = folder + ": cannot write the folder";
        return false;
    }
    return true;
}
