// What the web build's process starts with, set before main: what a
// program on Linux finds there and a wasm module does not.
// - The umask a shell gives, 022: emscripten's starts at 0777, which
//   would write the importer's files with no permission at all, so that
//   writing the web page could not read the scene back.
// - /proc/self/exe, its own file, where findWebKit() starts: here
//   /usr/bin/mirtal-import, so that the runtime is found where the Debian
//   package puts it, /usr/share/mirtal/web (which run_import.js fills).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* ToolFile = "/usr/bin/mirtal-import";

struct ProcessStart {
    ProcessStart()
    {
        umask(022);
        mkdir("/usr", 0755);
        mkdir("/usr/bin", 0755);
        const int tool = open(ToolFile, O_WRONLY | O_CREAT, 0755);
        if (tool >= 0)
            close(tool);
        symlink(ToolFile, "/proc/self/exe");
    }
} processStart;

} // namespace
