// mirtal-web-pack: the web walk-through of a scene folder, as the release
// ships the default scene's (tools/package.sh), written by the importer's
// own writer (web_page.h).
//   mirtal-web-pack [--runtime FOLDER] SCENE_FOLDER (--html FILE.html | --folder FOLDER)...
// The runtime is FOLDER, else the one the importer would use. An existing
// output is replaced (FILE.html) or refused (FOLDER).
// Exit status: 0 done, 2 a bad command line or input.
#include "web_page.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const char* Usage =
    "usage: mirtal-web-pack [--runtime FOLDER] SCENE_FOLDER (--html FILE.html | --folder FOLDER)...\n";

int fail(const std::string& message)
{
    std::fprintf(stderr, "mirtal-web-pack: %s\n", message.c_str());
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string runtime, scene;
    std::vector<std::string> pages, folders;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool valued = arg == "--runtime" || arg == "--html" || arg == "--folder";
        if (valued && i + 1 >= argc)
            return fail(arg + " needs a value\n" + Usage);
        if (arg == "--runtime")
            runtime = argv[++i];
        else if (arg == "--html")
            pages.push_back(argv[++i]);
        else if (arg == "--folder")
            folders.push_back(argv[++i]);
        else if (scene.empty() && !arg.empty() && arg[0] != '-')
            scene = arg;
        else
            return fail("unexpected " + arg + "\n" + Usage);
    }
    if (scene.empty() || (pages.empty() && folders.empty()))
        return fail(std::string("needs a scene folder and an output\n") + Usage);

    WebKit kit;
    std::string error;
    if (!(runtime.empty() ? findWebKit("/proc/self/exe", kit, error)
                          : webKitIn(runtime, kit, error)))
        return fail(error);
    for (const std::string& page : pages) {
        if (!writeWebPage(page, scene, kit, true, error))
            return fail(error);
        std::printf("%s\n", page.c_str());
    }
    for (const std::string& folder : folders) {
        if (!writeWebFolder(folder, scene, kit, error))
            return fail(error);
        std::printf("%s/\n", folder.c_str());
    }
    return 0;
}
