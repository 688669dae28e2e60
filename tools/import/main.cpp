// mirtal-import: writes a Mirtal scene folder from a model file.
//   mirtal-import [options] MODEL OUTPUT_FOLDER   (options anywhere)
//   mirtal-import [limits] --cache MODEL          (the launcher's import)
// Exit status: 0 done, 2 bad input or a bad command line, 1 anything else.
#include "import.h"
#include "web_page.h"
#include "windows_zip.h"
#ifdef MIRTAL_PLANTED_FAULTS
#include "planted_faults.h"  // tests/import/: the test build's faults
#endif

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* Usage =
    "usage: mirtal-import [options] MODEL OUTPUT_FOLDER\n"
    "       mirtal-import [--time-limit S] [--memory-limit GB] --cache MODEL\n"
    "Writes a scene folder that Mirtal shows from a model file (glTF, OBJ, COLLADA,\n"
    "3DS, FBX, PLY, STL and what else assimp reads).\n"
    "  --real-size        keep the model's size (10 units to the metre) instead of\n"
    "                     filling the default house's footprint\n"
    "  --units UNIT       the model's unit where the file gives none: m, cm, mm, in,\n"
    "                     ft, or metres as a number (default m)\n"
    "  --max-quads N      simplify the model to at most N quads\n"
    "  --max-texture N    largest bitmap side, a power of two (default 2048)\n"
    "  --keep-glass       draw the faces of mostly transparent materials (glass) as\n"
    "                     opaque faces, instead of leaving them out\n"
    "  --up AXIS          the model's up axis where the file's is wrong: +x, -x, +y,\n"
    "                     -y, +z or -z (default +y, as the file gives it)\n"
    "  --turn DEGREES     turn the model about the vertical, counter-clockwise seen\n"
    "                     from above, so that its front faces the F3 view\n"
    "  --windows-zip FILE.zip\n"
    "                     also write a zip with mirtal.exe, the scene, and the\n"
    "                     read-me and licence texts in one folder, to unzip and\n"
    "                     double-click on Windows\n"
    "  --web FILE.html    also write the walk-through as one HTML file (the page,\n"
    "                     the program and the scene, compressed) that opens in a\n"
    "                     browser from the disk or from any web server\n"
    "  --force            write into an existing folder, replacing its scene files\n"
    "                     (and replace an existing zip or HTML file)\n"
    "  --time-limit S     seconds the model library may take to read the model\n"
    "                     (default 60, and 1 more a megabyte of the file)\n"
    "  --memory-limit GB  memory it may take to read it, in gigabytes (default half\n"
    "                     of this machine's)\n"
    "  --cache            import MODEL into the cache that the launcher mirtal and\n"
    "                     mirtal-record share (${XDG_CACHE_HOME:-~/.cache}/mirtal),\n"
    "                     unless it is there and unchanged, and print the scene\n"
    "                     folder on standard output (the report goes to standard\n"
    "                     error); no other option goes with it but the limits\n"
    "  --help, --version\n";

struct Unit {
    const char* name;
    double metres;
};
constexpr Unit Units[] = {{"m", 1}, {"cm", 0.01}, {"mm", 0.001}, {"in", 0.0254}, {"ft", 0.3048}};

[[noreturn]] void usageError(const std::string& message)
{
    std::fprintf(stderr, "mirtal-import: %s\n%s", message.c_str(), Usage);
    std::exit(2);
}

// A value that the option does not take, in one line.
[[noreturn]] void valueError(const std::string& message)
{
    std::fprintf(stderr, "mirtal-import: %s\n", message.c_str());
    std::exit(2);
}

bool parseCount(const std::string& text, unsigned long long& value)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos ||
        text.size() > 12)
        return false;
    value = std::stoull(text);
    return true;
}

ImportSettings parseArguments(int argc, char** argv, bool& cache)
{
    ImportSettings settings;
    int otherOptions = 0;
#ifdef MIRTAL_PLANTED_FAULTS
    settings.readLimits.plantedFault = plantedFault(std::getenv("MIRTAL_PLANTED_FAULT"));
#endif
    std::vector<std::string> names;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            names.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string value;
        bool hasValue = false;
        const std::size_t equals = arg.find('=');
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
            hasValue = true;
        }
        auto takeValue = [&]() {
            if (hasValue)
                return value;
            if (i + 1 >= argc)
                usageError(arg + " needs a value");
            return std::string(argv[++i]);
        };
        if (arg == "--help" || arg == "-h") {
            std::printf("%s", Usage);
            std::exit(0);
        } else if (arg == "--version") {
            std::printf("mirtal-import %s\n", MIRTAL_VERSION);
            std::exit(0);
        } else if (arg == "--cache") {
            cache = true;
            --otherOptions;
        } else if (isReadLimitOption(arg)) {
            // The message says what it takes, in the one line that the
            // launcher and mirtal-record give too.
            const std::string error = parseReadLimit(arg, takeValue(), settings.readLimits);
            if (!error.empty()) {
                std::fprintf(stderr, "mirtal-import: %s\n", error.c_str());
                std::exit(2);
            }
            --otherOptions;
        } else if (arg == "--real-size") {
            settings.realSize = true;
        } else if (arg == "--force") {
            settings.force = true;
        } else if (arg == "--keep-glass") {
            settings.keepGlass = true;
        } else if (arg == "--up") {
            settings.up = takeValue();
            if (!isUpAxis(settings.up))
                valueError("--up takes +x, -x, +y, -y, +z or -z, not \"" + settings.up + "\"");
        } else if (arg == "--turn") {
            const std::string text = takeValue();
            char* end = nullptr;
            settings.turnDegrees = std::strtod(text.c_str(), &end);
            if (text.empty() || *end != '\0' || !std::isfinite(settings.turnDegrees))
                valueError("--turn takes an angle in degrees, not \"" + text + "\"");
        } else if (arg == "--windows-zip") {
            settings.windowsZip = takeValue();
            if (settings.windowsZip.empty())
                usageError("--windows-zip needs a file name");
        } else if (arg == "--web") {
            settings.webPage = takeValue();
            if (settings.webPage.empty())
                usageError("--web needs a file name");
        } else if (arg == "--units") {
            const std::string unit = takeValue();
            for (const Unit& u : Units)
                if (unit == u.name)
                    settings.unitMetres = u.metres;
            if (settings.unitMetres == 0) {
                char* end = nullptr;
                const double metres = std::strtod(unit.c_str(), &end);
                if (unit.empty() || *end != '\0' || !(metres > 0) || metres > 1e6)
                    usageError("--units takes m, cm, mm, in, ft or metres as a number, not \"" +
                               unit + "\"");
                settings.unitMetres = metres;
            }
        } else if (arg == "--max-quads") {
            const std::string text = takeValue();
            unsigned long long n = 0;
            if (!parseCount(text, n) || n < 1)
                usageError("--max-quads takes a whole number of at least 1, not \"" + text + "\"");
            settings.maxQuads = std::size_t(n);
        } else if (arg == "--max-texture") {
            const std::string text = takeValue();
            unsigned long long n = 0;
            if (!parseCount(text, n) || n < 16 || n > 16384 || (n & (n - 1)) != 0)
                usageError("--max-texture takes a power of two from 16 to 16384, not \"" + text +
                           "\"");
            settings.maxBitmapSide = int(n);
        } else {
            usageError("unknown option " + arg);
        }
        ++otherOptions;
    }
    if (cache) {
        if (otherOptions > 0)
            usageError("--cache takes no other option");
        if (names.size() != 1)
            usageError("--cache takes one model file");
        settings.modelPath = names[0];
        return settings;
    }
    if (names.size() != 2)
        usageError(names.size() < 2 ? "needs a model file and an output folder"
                                    : "takes one model file and one output folder");
    settings.modelPath = names[0];
    settings.outputPath = names[1];
    return settings;
}

// --cache: the model's scene folder in the cache, imported when it is not
// there or the model changed. Standard output carries the folder alone.
int importCached(const ImportSettings& settings)
{
    const int out = dup(STDOUT_FILENO);
    if (out < 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        std::fprintf(stderr, "mirtal-import: cannot redirect standard output\n");
        return 1;
    }
    const std::string root = cacheRoot(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME"));
    std::string folder;
    const int status = runImport("mirtal-import", settings.modelPath, root, [&] {
        // The launcher's own message, which it used to say itself.
        folder = importIntoCache(settings.modelPath, root, MIRTAL_VERSION, "mirtal",
                                 settings.readLimits).folder;
    });
    if (status != 0)
        return status;
    std::fflush(stdout);
    const std::string line = folder + "\n";
    if (write(out, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
        return 1;
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    bool cache = false;
    const ImportSettings settings = parseArguments(argc, argv, cache);
    if (cache)
        return importCached(settings);
    // The Windows walk-through's program and zip are checked before the
    // import, so that a refusal leaves no folder behind.
    WindowsKit windows;
    if (!settings.windowsZip.empty()) {
        std::string error;
        if (!findWindowsKit("/proc/self/exe", windows, error) ||
            !checkWindowsZipPlace(settings.windowsZip, settings.force, error)) {
            std::fprintf(stderr, "mirtal-import: %s\n", error.c_str());
            return 2;
        }
    }
    // And the web page's place, then its runtime: an existing page is
    // refused whether or not there is a runtime.
    WebKit web;
    if (!settings.webPage.empty()) {
        std::string error;
        if (!checkWebPagePlace(settings.webPage, settings.force, error) ||
            !findWebKit("/proc/self/exe", web, error)) {
            std::fprintf(stderr, "mirtal-import: %s\n", error.c_str());
            return 2;
        }
    }
    if (const int status = runImport("mirtal-import", settings.modelPath, settings.outputPath,
                                     [&] { importModel(settings); }))
        return status;
    if (!settings.windowsZip.empty()) {
        std::string error;
        if (!writeWindowsZip(settings.windowsZip, settings.outputPath, windows, settings.force,
                             error)) {
            std::fprintf(stderr, "mirtal-import: %s\n", error.c_str());
            return 2;
        }
        std::printf("Windows walk-through: %s (folder %s/ inside)\n", settings.windowsZip.c_str(),
                    windowsZipFolderName(settings.windowsZip).c_str());
    }
    if (!settings.webPage.empty()) {
        std::string error;
        if (!writeWebPage(settings.webPage, settings.outputPath, web, settings.force, error)) {
            std::fprintf(stderr, "mirtal-import: %s\n", error.c_str());
            return 2;
        }
        std::printf("web walk-through: %s (open it in a browser)\n", settings.webPage.c_str());
    }
    return 0;
}
