// The Windows walk-through zip, written with libzip. See windows_zip.h.
#include "windows_zip.h"

#include "artefact_files.h"
#include "import.h"

#include <zip.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

// Every entry's time, 1980-01-01 00:00 (the first the zip format can hold),
// as MS-DOS date and time fields.
constexpr zip_uint16_t FixedDosDate = (0 << 9) | (1 << 5) | 1;
constexpr zip_uint16_t FixedDosTime = 0;
constexpr zip_uint32_t FolderMode = 040755, FileMode = 0100644, ProgramMode = 0100755;

// The kit in one folder.
bool kitIn(const std::string& folder, WindowsKit& kit)
{
    if (!isRegularFile(folder + "/mirtal.exe"))
        return false;
    kit.exe = folder + "/mirtal.exe";
    return true;
}

// A text as this zip's own: where it names the release zip's folder, it
// names `folder`.
std::string textFor(std::string text, const std::string& folder)
{
    const std::string release = windowsReleaseFolder();
    for (std::size_t at = text.find(release); at != std::string::npos;
         at = text.find(release, at + folder.size()))
        text.replace(at, release.size(), folder);
    return text;
}

bool setFixedAttributes(zip_t* archive, zip_int64_t index, zip_uint32_t mode)
{
    const auto entry = static_cast<zip_uint64_t>(index);
    return zip_file_set_dostime(archive, entry, FixedDosTime, FixedDosDate, 0) == 0
           && zip_file_set_external_attributes(archive, entry, 0, ZIP_OPSYS_UNIX, mode << 16) == 0;
}

}  // namespace

bool findWindowsKit(const std::string& toolPath, WindowsKit& kit, std::string& error)
{
    const KitSearch search = findKitFolder(toolPath, "windows", "build-windows/walk-through",
                                           [&](const std::string& folder) { return kitIn(folder, kit); });
    if (!search.found.empty())
        return true;
    error = "no Windows build of Mirtal to put in the zip: neither " + search.installed
            + "/mirtal.exe (the Debian package's) nor build-windows/walk-through/mirtal.exe near "
            + search.toolFolder + " (tools/build_windows.sh makes it)";
    return false;
}

std::string windowsZipFolderName(const std::string& zipPath)
{
    std::string name = zipPath.substr(zipPath.find_last_of('/') + 1);
    if (name.size() >= 4) {
        std::string suffix = name.substr(name.size() - 4);
        std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (suffix == ".zip")
            name.resize(name.size() - 4);
    }
    for (char& c : name) {
        const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
                          || std::string("._-+() ").find(c) != std::string::npos;
        if (!kept)
            c = '_';
    }
    // No name, or "." or "..", which would unpack outside the folder.
    if (name.find_first_not_of('.') == std::string::npos)
        name = "mirtal-walk-through";
    return name;
}

bool checkWindowsZipPlace(const std::string& zipPath, bool replace, std::string& error)
{
    // libzip too writes a file beside the zip and renames it.
    return checkArtefactPlace(zipPath, replace, "zip file", "the zip", error);
}

bool writeWindowsZip(const std::string& zipPath, const std::string& sceneFolder,
                     const WindowsKit& kit, bool replace, std::string& error)
{
    const std::string folder = windowsZipFolderName(zipPath) + "/";
    // The files that go in: the program, and after the texts (which come
    // from memory) the scene.
    struct Entry {
        std::string name, source;
        zip_uint32_t mode;
    };
    const Entry program{folder + "mirtal.exe", kit.exe, ProgramMode};
    std::vector<Entry> scene;
    for (const std::string& name : sceneFilesInNameOrder())
        scene.push_back({folder + name, sceneFolder + "/" + name, FileMode});
    std::vector<Entry> files = scene;
    files.insert(files.begin(), program);
    for (const Entry& entry : files) {
        if (FILE* file = std::fopen(entry.source.c_str(), "rb"))
            std::fclose(file);
        else {
            error = entry.source + ": cannot be read, so it cannot go in the zip";
            return false;
        }
    }

    if (!checkWindowsZipPlace(zipPath, replace, error))
        return false;
    int code = 0;
    zip_t* archive = zip_open(zipPath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive) {
        zip_error_t reason;
        zip_error_init_with_code(&reason, code);
        error = zipPath + ": cannot write the zip (" + zip_error_strerror(&reason) + ")";
        zip_error_fini(&reason);
        return false;
    }
    auto failed = [&](const std::string& what) {
        error = zipPath + ": " + what + " (" + zip_strerror(archive) + ")";
        zip_discard(archive);
        return false;
    };
    // Adds one entry from `source` (which the archive then owns), compressed,
    // at the fixed time and with `mode`.
    auto add = [&](const std::string& name, zip_source_t* source, zip_uint32_t mode) {
        if (!source)
            return false;
        const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            return false;
        }
        return zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 9)
                   == 0
               && setFixedAttributes(archive, index, mode);
    };

    const zip_int64_t top = zip_dir_add(archive, folder.c_str(), ZIP_FL_ENC_UTF_8);
    if (top < 0 || !setFixedAttributes(archive, top, FolderMode))
        return failed("cannot add the folder " + folder);
    auto addFile = [&](const Entry& entry) {
        return add(entry.name, zip_source_file(archive, entry.source.c_str(), 0, -1), entry.mode);
    };
    if (!addFile(program))
        return failed("cannot add " + program.name);
    // libzip reads the texts at zip_close: they are kept until then.
    std::vector<std::string> texts;
    texts.reserve(windowsTexts().size());
    for (const WindowsText& text : windowsTexts()) {
        texts.push_back(textFor(text.bytes, windowsZipFolderName(zipPath)));
        if (!add(folder + text.name,
                 zip_source_buffer(archive, texts.back().data(), texts.back().size(), 0), FileMode))
            return failed(std::string("cannot add ") + text.name);
    }
    for (const Entry& entry : scene)
        if (!addFile(entry))
            return failed("cannot add " + entry.name);
    // libzip writes everything here, into a file beside the zip that it
    // renames into place once complete.
    if (zip_close(archive) != 0)
        return failed("cannot write the zip");
    return true;
}
