// The Windows walk-through: a zip that holds mirtal.exe, a scene folder's
// files and the read-me texts in one top folder, so that whoever receives it
// unzips it and double-clicks mirtal.exe. Entry points: findWindowsKit(),
// writeWindowsZip().
#pragma once

#include <string>
#include <vector>

// The Windows program that goes in the zip.
struct WindowsKit {
    std::string exe;  // mirtal.exe
};

// A text beside the program: its name in the zip and its bytes.
struct WindowsText {
    const char* name;
    std::string bytes;
};

// The release zip's read-me texts and licence (LEIA-ME.txt, README.txt,
// LICENSE.txt), with Windows line ends, as built into the tool.
const std::vector<WindowsText>& windowsTexts();
// The release zip's folder, mirtal-<version>, which the read-me texts name:
// in a walk-through zip they name its own folder instead.
const char* windowsReleaseFolder();

// Finds the Windows program for a tool whose own file is toolPath: first
// where the Debian package puts it, ../share/mirtal/windows beside the
// tool's folder; then in a source tree, build-windows/walk-through/
// (tools/build_windows.sh) in the tool's folder or one of its three nearest
// ancestors (a build folder sits in the source tree). Returns false with a
// message naming the places looked at if there is none.
bool findWindowsKit(const std::string& toolPath, WindowsKit& kit, std::string& error);

// The zip's top folder: the zip file's own name without ".zip", as the
// archive tools of Windows name the folder they unpack into, with any
// character but letters, digits and . _ - + ( ) and space made '_';
// "mirtal-walk-through" when that leaves no name.
std::string windowsZipFolderName(const std::string& zipPath);

// Whether zipPath may be written, before any work: not an existing file
// unless replace, and in a folder that exists and can be written. Returns
// false with a one-line message naming zipPath.
bool checkWindowsZipPlace(const std::string& zipPath, bool replace, std::string& error);

// Writes zipPath: its top folder, then mirtal.exe, windowsTexts() (naming
// that folder) and the scene's 23 files (the 17 bitmaps, the two scene
// files, the four raw images) in name order, all with one fixed time and
// fixed modes, so that
// the same files give the same bytes. Refuses what checkWindowsZipPlace
// refuses. The zip appears whole or not at all (written under another name
// and renamed at the end). Returns false with a one-line message.
bool writeWindowsZip(const std::string& zipPath, const std::string& sceneFolder,
                     const WindowsKit& kit, bool replace, std::string& error);
