// The command line into Settings, and the checks of the input that come
// before anything is drawn. Every message is one line that says what is
// wrong and what to do.
#include "record.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace record {

namespace {

const char* const Program = "mirtal-record";

std::string fail(const std::string& what) { return std::string(Program) + ": " + what; }

bool parseInt(const char* text, int low, int high, int& value)
{
    if (!text || !*text || std::isspace(static_cast<unsigned char>(*text)))
        return false;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high)
        return false;
    value = int(parsed);
    return true;
}

bool parseSeconds(const char* text, double& value)
{
    if (!text || !*text || std::isspace(static_cast<unsigned char>(*text)))
        return false;
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(text, &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(parsed) || parsed < 0 || parsed > 3600)
        return false;
    value = parsed;
    return true;
}

// "WxH", each side 16 to 8192 pixels.
bool parseSize(const char* text, int& width, int& height)
{
    const char* x = text ? std::strchr(text, 'x') : nullptr;
    if (!x)
        return false;
    const std::string w(text, x);
    return parseInt(w.c_str(), 16, 8192, width) && parseInt(x + 1, 16, 8192, height);
}

bool isDirectory(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isRegularFile(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool exists(const std::string& path)
{
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

std::string usageText()
{
    return "usage: mirtal-record [options] SCENE OUTPUT\n"
           "Records a film of the Mirtal walk-through of the scene folder SCENE: the tour of\n"
           "the preset views (F1 to F9, then the eleven named views), then the camera flight.\n"
           "SCENE may also be a model file (glTF, OBJ, COLLADA, 3DS, FBX and more), imported\n"
           "as the launcher mirtal imports it, into the same cache folder.\n"
           "OUTPUT's extension chooses the format: .mp4 (H.264), .webm (VP9) or .gif.\n"
           "  --tour             the tour alone\n"
           "  --flight           the flight alone\n"
           "  --hold S           seconds on each view of the tour (default 2)\n"
           "  --glide S          seconds from one view to the next (default 2)\n"
           "  --size WxH         size of the film in pixels (default 1280x720)\n"
           "  --fps N            frames a second (default 30)\n"
           "  --supersample K    draw each frame at K times the size and reduce it (default 2)\n"
           "  --force            replace an existing OUTPUT\n"
           "  --time-limit S     seconds the model library may take to read a model file\n"
           "                     (default 60, and 1 more a megabyte of the file)\n"
           "  --memory-limit GB  memory it may take to read it, in gigabytes (default half\n"
           "                     of this machine's)\n"
           "Needs ffmpeg on the PATH and an X display.\n";
}

bool formatOfName(const std::string& name, Format& format)
{
    const std::size_t dot = name.find_last_of('.');
    const std::size_t slash = name.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return false;
    std::string extension = name.substr(dot + 1);
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (extension == "mp4")
        format = Format::Mp4;
    else if (extension == "webm")
        format = Format::WebM;
    else if (extension == "gif")
        format = Format::Gif;
    else
        return false;
    return true;
}

ParseResult parseArguments(int argc, const char* const* argv)
{
    ParseResult result;
    Settings& s = result.settings;
    bool tour = false, flight = false;
    std::vector<std::string> names;
    auto error = [&](const std::string& what) {
        result.kind = ParseResult::Error;
        result.message = fail(what);
        return result;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (option == "--help" || option == "-h") {
            result.kind = ParseResult::Help;
            return result;
        }
        if (option == "--tour") {
            tour = true;
        } else if (option == "--flight") {
            flight = true;
        } else if (option == "--force") {
            s.force = true;
        } else if (option == "--size") {
            if (!parseSize(value, s.width, s.height))
                return error("--size wants WIDTHxHEIGHT, each 16 to 8192 pixels (for example --size 1280x720)");
            ++i;
        } else if (option == "--fps") {
            if (!parseInt(value, 1, 240, s.fps))
                return error("--fps wants a whole number of frames a second from 1 to 240 (for example --fps 30)");
            ++i;
        } else if (option == "--supersample") {
            if (!parseInt(value, 1, 8, s.supersample))
                return error("--supersample wants a whole number from 1 to 8 (for example --supersample 2)");
            ++i;
        } else if (option == "--hold" || option == "--glide") {
            if (!parseSeconds(value, option == "--hold" ? s.holdSeconds : s.glideSeconds))
                return error(option + " wants seconds from 0 to 3600 (for example " + option + " 2)");
            ++i;
        } else if (isReadLimitOption(option)) {
            const std::string problem = parseReadLimit(option, value ? value : "", s.readLimits);
            if (!problem.empty())
                return error(problem);
            ++i;
        } else if (option.size() > 1 && option[0] == '-') {
            return error("unknown option " + option + "; see mirtal-record --help");
        } else {
            names.push_back(option);
        }
    }
    if (names.size() != 2)
        return error("wants a scene folder or model file and an output file (mirtal-record [options] SCENE OUTPUT); see mirtal-record --help");
    s.scene = names[0];
    s.output = names[1];
    if (tour && !flight)
        s.content = Content::Tour;
    else if (flight && !tour)
        s.content = Content::Flight;
    else
        s.content = Content::TourThenFlight;
    if (!formatOfName(s.output, s.format))
        return error("cannot tell the format of " + s.output +
                     " from its extension; name the output .mp4, .webm or .gif");
    if (s.format != Format::Gif && (s.width % 2 != 0 || s.height % 2 != 0))
        return error("MP4 and WebM films need an even width and height; choose another --size");
    if (s.content != Content::Flight && holdFrameCount(s) == 0 && glideFrameCount(s) == 0)
        return error("--hold and --glide of 0 leave the tour without frames; give one of them some seconds");
    result.kind = ParseResult::Record;
    return result;
}

bool isModelFile(const std::string& scene)
{
    return isRegularFile(scene);
}

std::string checkScene(const std::string& scene)
{
    if (!exists(scene))
        return "the scene folder " + scene + " does not exist; give a folder of scene files (such as the project's data/)";
    if (!isDirectory(scene))
        return scene + " is not a folder; give a folder of scene files (such as the project's data/)";
    if (access(scene.c_str(), R_OK | X_OK) != 0)
        return "cannot read the scene folder " + scene + "; check its permissions";
    // As the launcher tells a scene folder: by either of its two scene files.
    if (!exists(scene + "/data_textura.geo") && !exists(scene + "/data_terreno.geo"))
        return scene + " is not a scene folder (it holds neither data_textura.geo nor "
                       "data_terreno.geo); give a folder of scene files (such as the project's data/)";
    return "";
}

std::string findOnPath(const std::string& program, const char* path)
{
    if (!path)
        return "";
    const std::string list = path;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(':', start);
        if (end == std::string::npos)
            end = list.size();
        // An empty entry is the current folder.
        const std::string folder = end > start ? list.substr(start, end - start) : ".";
        const std::string candidate = folder + "/" + program;
        struct stat info {};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return "";
}

std::string checkBeforeDrawing(const Settings& settings, const char* path, const char* display,
                               std::string& ffmpeg)
{
    if (isModelFile(settings.scene)) {
        // The model itself is read by the import, after every other check.
        if (access(settings.scene.c_str(), R_OK) != 0)
            return fail("cannot read the model file " + settings.scene + "; check its permissions");
    } else {
        const std::string scene = checkScene(settings.scene);
        if (!scene.empty())
            return fail(scene);
    }
    Format format = Format::Mp4;
    if (!formatOfName(settings.output, format))
        return fail("cannot tell the format of " + settings.output +
                    " from its extension; name the output .mp4, .webm or .gif");
    const std::string folder = folderOf(settings.output);
    if (!isDirectory(folder))
        return fail("the output folder " + folder + " does not exist; make it first or choose another OUTPUT");
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        return fail("cannot write in the output folder " + folder + "; choose another OUTPUT");
    if (isDirectory(settings.output))
        return fail(settings.output + " is a folder; give OUTPUT a file name ending .mp4, .webm or .gif");
    if (exists(settings.output) && !settings.force)
        return fail(settings.output + " exists already; add --force to replace it or choose another OUTPUT");
    ffmpeg = findOnPath("ffmpeg", path);
    if (ffmpeg.empty())
        return fail("ffmpeg is not on the PATH; install it (apt install ffmpeg) and try again");
    if (!display || !*display)
        return fail("no X display (DISPLAY is not set); run it on a desktop, or under xvfb-run");
    return "";
}

} // namespace record
