// The cache of imported models (import.h): one folder per model, imported
// again when the model's stamp changes. The launcher (through mirtal-import
// --cache) and mirtal-record both come here, so that they share one import.
#include "import.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// The text without the newlines at its end (as a shell's $(...) reads it).
std::string withoutTrailingNewlines(std::string text)
{
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

std::string readWhole(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "";
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void removeQuietly(const fs::path& path)
{
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

} // namespace

std::string cacheRoot(const char* xdgCacheHome, const char* home)
{
    if (xdgCacheHome && *xdgCacheHome)
        return std::string(xdgCacheHome) + "/mirtal";
    if (home && *home)
        return std::string(home) + "/.cache/mirtal";
    return "";
}

std::string fnv1a64Hex(const std::string& text)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char byte : text) {
        hash ^= byte;
        hash *= 1099511628211ull;
    }
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
    return digits;
}

std::string cacheFolderName(const std::string& realPath)
{
    const std::size_t slash = realPath.find_last_of('/');
    std::string name = slash == std::string::npos ? realPath : realPath.substr(slash + 1);
    for (char& c : name) {
        const unsigned char b = static_cast<unsigned char>(c);
        const bool kept = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                          (b >= '0' && b <= '9') || b == '.' || b == '_' || b == '+' || b == '-';
        if (!kept)
            c = '_';
    }
    if (name.size() > 64)
        name.resize(64);
    return name + "-" + fnv1a64Hex(realPath);
}

std::string importStamp(const std::string& realPath, unsigned long long size, long long mtimeSeconds,
                        long mtimeNanoseconds, const std::string& version)
{
    char time[64];
    std::snprintf(time, sizeof time, "%llu %lld.%09ld", size, mtimeSeconds, mtimeNanoseconds);
    return "model " + realPath + "\nsize-mtime " + time + "\nmirtal " + version + "\n";
}

CachedScene importIntoCache(const std::string& model, const std::string& root,
                            const std::string& version, const std::string& program,
                            const ReadLimits& limits)
{
    struct stat info {};
    if (stat(model.c_str(), &info) != 0)
        throw ImportError(errno == ENOENT ? "no such file or folder" : std::strerror(errno));
    if (!S_ISREG(info.st_mode) || access(model.c_str(), R_OK) != 0)
        throw ImportError("not a readable file");
    char real[PATH_MAX];
    if (!realpath(model.c_str(), real))
        throw ImportError(std::string("cannot tell its full path: ") + std::strerror(errno));
    const std::string realPath = real;
    if (root.empty())
        throw OutputError("no cache folder: neither XDG_CACHE_HOME nor HOME is set");

    CachedScene cached;
    const std::string name = cacheFolderName(realPath);
    const fs::path scene = fs::path(root) / name;
    cached.folder = scene.string();
    const std::string stamp = importStamp(realPath, static_cast<unsigned long long>(info.st_size),
                                          static_cast<long long>(info.st_mtim.tv_sec),
                                          static_cast<long>(info.st_mtim.tv_nsec), version);
    const fs::path stampFile = scene / ".mirtal-import-stamp";
    if (withoutTrailingNewlines(readWhole(stampFile)) == withoutTrailingNewlines(stamp))
        return cached;

    // A bad model is refused before the cache is touched or anything said.
    const SourceModel source = readModel(realPath, limits);

    std::error_code error;
    fs::create_directories(root, error);
    if (error || !fs::is_directory(root))
        throw OutputError("cannot make the cache folder " + root);
    const fs::path fresh = fs::path(root) / ("." + name + ".new-" + std::to_string(getpid()));
    removeQuietly(fresh);
    std::fprintf(stderr, "%s: importing %s into %s\n", program.c_str(), realPath.c_str(),
                 cached.folder.c_str());
    std::fflush(stderr);
    ImportSettings settings;
    settings.modelPath = realPath;
    settings.outputPath = fresh.string();
    settings.reportedPath = cached.folder;
    try {
        importModel(settings, source);
        std::ofstream out(fresh / ".mirtal-import-stamp", std::ios::binary);
        out << stamp;
        out.close();
        if (!out)
            throw OutputError("cannot write in " + root);
    } catch (...) {
        removeQuietly(fresh);
        throw;
    }
    std::fflush(stdout);
    removeQuietly(scene);
    // If another start put the folder there meanwhile, that one stays.
    if (std::rename(fresh.c_str(), scene.c_str()) != 0)
        removeQuietly(fresh);
    cached.imported = true;
    return cached;
}
