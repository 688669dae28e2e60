// mirtal-record: writes a film of the walk-through (the tour of the preset
// views, the camera flight, or both) as MP4, WebM or GIF with ffmpeg.
//   mirtal-record [options] SCENE OUTPUT      (mirtal-record --help)
// The stages are declared in record.h; a model file given as SCENE is
// imported into the launcher's cache by the importer's own cache stage.
#include "import.h"
#include "record.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    const record::ParseResult parsed = record::parseArguments(argc, argv);
    if (parsed.kind == record::ParseResult::Help) {
        std::fputs(record::usageText().c_str(), stdout);
        return 0;
    }
    if (parsed.kind == record::ParseResult::Error) {
        std::fprintf(stderr, "%s\n", parsed.message.c_str());
        return 2;
    }
    const record::Settings& settings = parsed.settings;
    std::string ffmpeg;
    const std::string problem =
        record::checkBeforeDrawing(settings, std::getenv("PATH"), std::getenv("DISPLAY"), ffmpeg);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 2;
    }

    // The program opens its scene files by name in its working folder, so
    // the output's name is made absolute first.
    std::string output = settings.output;
    if (output[0] != '/') {
        char here[PATH_MAX];
        if (!getcwd(here, sizeof here)) {
            std::fprintf(stderr, "mirtal-record: cannot tell the current folder: %s\n", std::strerror(errno));
            return 2;
        }
        output = std::string(here) + "/" + output;
    }
    if (ffmpeg[0] != '/') {
        char here[PATH_MAX];
        if (getcwd(here, sizeof here))
            ffmpeg = std::string(here) + "/" + ffmpeg;
    }
    // The program's readers and the importer report on standard output; here
    // standard output stays free and their messages go to standard error.
    std::fflush(stdout);
    dup2(STDERR_FILENO, STDOUT_FILENO);

    std::string scene = settings.scene;
    if (record::isModelFile(scene)) {
        const std::string root = cacheRoot(std::getenv("XDG_CACHE_HOME"), std::getenv("HOME"));
        if (const int status = runImport("mirtal-record", settings.scene, "the cache folder " + root, [&] {
                scene = importIntoCache(scene, root, MIRTAL_VERSION, "mirtal-record",
                                        settings.readLimits).folder;
            }))
            return status;
    }
    if (chdir(scene.c_str()) != 0) {
        std::fprintf(stderr, "mirtal-record: cannot enter the scene folder %s: %s\n", scene.c_str(),
                     std::strerror(errno));
        return 2;
    }
    return record::recordFilm(settings, ffmpeg, output);
}
