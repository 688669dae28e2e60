// Finding the file of a picture that a model names, where exporters leave
// it: a Windows path from the modeller's machine (D:\projects\tex\a.jpg),
// a path that climbs out of the model's folder with a slash in front
// (\..\textures\Wood.JPG), a name in other letter case than the file's,
// spaces written %20. Entry point: findPictureFile().
#include "import.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

// How far up from the model's folder the search goes.
constexpr int ParentsSearched = 2;

bool sameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// `relative` under `base`, each part of it as named or, where no entry has
// that exact name, the first entry (in byte order) that differs from it in
// letter case only. Empty when there is no such file.
fs::path resolve(const fs::path& base, const fs::path& relative)
{
    std::error_code error;
    fs::path at = base;
    for (const fs::path& part : relative) {
        if (fs::exists(at / part, error)) {
            at /= part;
            continue;
        }
        if (part == "." || part == ".." || !fs::is_directory(at.empty() ? "." : at, error))
            return {};
        std::vector<std::string> matches;
        for (fs::directory_iterator entry(at.empty() ? "." : at, error), end; !error && entry != end;
             entry.increment(error))
            if (sameIgnoringCase(entry->path().filename().string(), part.string()))
                matches.push_back(entry->path().filename().string());
        if (matches.empty())
            return {};
        at /= *std::min_element(matches.begin(), matches.end());
    }
    return fs::is_regular_file(at, error) ? at : fs::path();
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = char(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The name with \ read as /, a drive letter dropped, %XX escapes decoded
// and the blanks around it (an MTL's trailing tabs) trimmed.
std::string portable(std::string name)
{
    const std::size_t first = name.find_first_not_of(" \t\r\n");
    name = first == std::string::npos ? "" : name.substr(first, name.find_last_not_of(" \t\r\n") - first + 1);
    std::replace(name.begin(), name.end(), '\\', '/');
    if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0])))
        name.erase(0, 2);
    std::string decoded;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const int high = name[i] == '%' && i + 2 < name.size() ? hexDigit(name[i + 1]) : -1;
        const int low = high >= 0 ? hexDigit(name[i + 2]) : -1;
        if (low >= 0) {
            decoded += char(high * 16 + low);
            i += 2;
        } else {
            decoded += name[i];
        }
    }
    return decoded;
}

} // namespace

PictureFile findPictureFile(const std::string& modelFolder, std::string name)
{
    if (name.rfind("file://", 0) == 0)
        name = name.substr(7);
    const fs::path folder(modelFolder);
    std::string forward = name;
    std::replace(forward.begin(), forward.end(), '\\', '/');
    PictureFile file;
    // Where a picture that is not found is reported as looked for.
    file.path = (fs::path(forward).is_absolute() ? fs::path(forward) : folder / forward).string();

    // The name as written.
    const fs::path written(name);
    const fs::path exact = written.is_absolute() ? resolve(written.root_path(), written.relative_path())
                                                 : resolve(folder, written);
    if (!exact.empty()) {
        file.path = exact.string();
        file.found = true;
        if (exact.lexically_normal() != (written.is_absolute() ? written : folder / written).lexically_normal())
            file.foundAs = exact.lexically_relative(folder.empty() ? "." : folder).string();
        return file;
    }

    // Its trailing parts, the longest (the most telling) first, each in the
    // model's folder and then in its parents: the parts that follow the
    // last . or .. of the name.
    const fs::path readable(portable(name));
    const fs::path said = readable.is_absolute() ? readable : folder / readable;
    std::vector<fs::path> parts;
    for (const fs::path& part : readable.relative_path().lexically_normal()) {
        if (part == "." || part == ".." || part.empty())
            parts.clear();
        else
            parts.push_back(part);
    }
    for (std::size_t first = 0; first < parts.size(); ++first) {
        fs::path trailing;
        for (std::size_t k = first; k < parts.size(); ++k)
            trailing /= parts[k];
        fs::path base = folder;
        for (int up = 0; up <= ParentsSearched; ++up, base /= "..") {
            const fs::path found = resolve(base, trailing);
            if (!found.empty()) {
                file.path = found.string();
                file.found = true;
                // .\a.jpg is where Windows reads it: not found elsewhere.
                if (found.lexically_normal() != said.lexically_normal())
                    file.foundAs =
                        found.lexically_normal().lexically_relative(folder.empty() ? "." : folder).string();
                return file;
            }
        }
    }
    return file;
}
