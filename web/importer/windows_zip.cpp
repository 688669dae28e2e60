// The web build's Windows walk-through, for tools/import/windows_zip.cpp:
// a browser has no mirtal.exe to put in a zip (the page offers the web
// walk-through instead), so --windows-zip is refused before any work, in
// the command line's one line with its status 2. Entry points: as
// windows_zip.h.
#include "windows_zip.h"

namespace {

constexpr const char* NoWindowsKit =
    "the Windows walk-through is not made in the browser (mirtal-import on Linux makes it); "
    "save the web walk-through instead";

} // namespace

bool findWindowsKit(const std::string&, WindowsKit&, std::string& error)
{
    error = NoWindowsKit;
    return false;
}

std::string windowsZipFolderName(const std::string&) { return "mirtal-walk-through"; }

bool checkWindowsZipPlace(const std::string&, bool, std::string& error)
{
    error = NoWindowsKit;
    return false;
}

bool writeWindowsZip(const std::string&, const std::string&, const WindowsKit&, bool,
                     std::string& error)
{
    error = NoWindowsKit;
    return false;
}
