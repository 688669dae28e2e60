// Finding an artefact's program files and writing its file. See
// artefact_files.h.
#include "artefact_files.h"

#include "import.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::vector<std::string> sceneFilesInNameOrder()
{
    std::vector<std::string> names = sceneFileNames();
    std::sort(names.begin(), names.end());
    return names;
}

bool isRegularFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string folderOfPath(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

KitSearch findKitFolder(const std::string& toolPath, const std::string& installed,
                        const std::string& built,
                        const std::function<bool(const std::string&)>& holdsKit)
{
    char resolved[PATH_MAX];
    const std::string tool = realpath(toolPath.c_str(), resolved) ? resolved : toolPath;
    KitSearch search;
    search.toolFolder = folderOfPath(tool);
    search.installed = search.toolFolder + "/../share/mirtal/" + installed;
    if (holdsKit(search.installed)) {
        search.found = search.installed;
        return search;
    }
    std::string folder = search.toolFolder;
    for (int level = 0; level < 4; ++level) {
        if (holdsKit(folder + "/" + built)) {
            search.found = folder + "/" + built;
            return search;
        }
        if (folder == "/")
            break;
        folder = folderOfPath(folder);
    }
    return search;
}

bool checkArtefactPlace(const std::string& path, bool replace, const char* kind, const char* what,
                        std::string& error)
{
    struct stat info;
    if (lstat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            error = path + ": is a folder, not a " + kind;
            return false;
        }
        if (!replace) {
            error = path + ": exists already (--force replaces it)";
            return false;
        }
    }
    // The file is written beside its place and renamed, so the folder
    // itself must take new files.
    const std::string folder = folderOfPath(path);
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        error = path + ": no folder " + folder + " to write " + what + " in";
        return false;
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        error = path + ": the folder " + folder + " cannot be written";
        return false;
    }
    return true;
}

bool readWholeFile(const std::string& path, std::string& bytes)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    bytes.clear();
    char buffer[65536];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, count);
    const bool good = !std::ferror(file);
    std::fclose(file);
    return good;
}

bool writeFileWhole(const std::string& path, const std::string& bytes, bool replace,
                    const char* kind, const char* what, std::string& error)
{
    if (!checkArtefactPlace(path, replace, kind, what, error))
        return false;
    std::string temporary = folderOfPath(path) + "/.mirtal-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        error = path + ": cannot write " + what;
        return false;
    }
    // mkstemp makes the file 0600: give it a new file's permissions.
    const mode_t mask = umask(0);
    umask(mask);
    bool written = fchmod(fd, 0666 & ~mask) == 0;
    for (std::size_t done = 0; written && done < bytes.size();) {
        const ssize_t count = write(fd, bytes.data() + done, bytes.size() - done);
        written = count > 0;
        done += written ? static_cast<std::size_t>(count) : 0;
    }
    written = close(fd) == 0 && written;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        error = path + ": cannot write " + what;
        return false;
    }
    return true;
}
