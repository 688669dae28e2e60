"""The Windows zip, unpacked into a scratch folder, and its mirtal.exe run
there under Wine on the same Xvfb and Mesa as the Linux build:

- mirtal.exe imports no DLL but Windows' own (its runtimes are linked in);
- the zip holds mirtal.exe, the 17 bitmaps, the two scene files, the four
  raw images and the two read-me texts, all at its top level;
- the exe opens the window "Mirtal" of 640 x 480 and prints the 17 bitmap
  reader lines of the default scene, the same as the Linux build (with
  Windows line ends);
- W changes the picture, and F3 shows the picture that F3 shows in the
  Linux build (same scene, same renderer: alike under share_unlike);
- ESC, and the menu's "Sair", end it with status 0;
- Wine's WGL offers swap control, and the exe asks it for an interval of 1.

The walk-through zip of mirtal-import --windows-zip (the Linux importer of
the source tree, which takes build-windows/'s mirtal.exe), for a model of
assimp-testmodels:
- one top folder named after the zip, holding mirtal.exe (the release zip's),
  the read-me texts and the imported folder's 23 files byte for byte, in
  that order, each entry at one fixed time; the same import gives the same
  bytes;
- unpacked, its exe under Wine shows the imported model (its F3 picture is
  unlike the default scene's) and its F3 picture is the Linux build's F3
  picture on the imported folder;
- the importer with no Windows build near it refuses --windows-zip with
  status 2 and one line, and writes no folder.

Run under tests/with_xvfb.sh; Wine uses a prefix of its own (--wineprefix),
made here on first use."""

import argparse
import filecmp
import os
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import mirtal_e2e  # noqa: E402
from mirtal_e2e import (OTHER_VIEW, SAME_VIEW, Checks, Mirtal, choose_menu_path,  # noqa: E402
                        move_pointer, picture_unlike, run, share_unlike, try_screenshot,
                        view_picture, wait_for_first_frame, window_geometry)

SAIR = 4  # last entry of the main menu
# freeglut for Windows draws its menus in its 8 x 13 bitmap font (14 pixels
# high, plus 2 between entries), where the X11 build uses Helvetica 18.
mirtal_e2e.MENU_ENTRY_HEIGHT = 16
BITMAP_COUNT, SCENE_FILES, RAW_IMAGES = 17, ("data_textura.geo", "data_terreno.geo"), 4
WINDOWS_DLLS = {"kernel32.dll", "msvcrt.dll", "user32.dll", "gdi32.dll", "advapi32.dll",
                "opengl32.dll", "glu32.dll", "winmm.dll"}
WINE_START_TIMEOUT = 60  # seconds: Wine's own start-up comes first
# The model of the walk-through zip, in assimp-testmodels.
WALK_THROUGH_MODEL = "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb"


def parse_args():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zip", required=True)
    parser.add_argument("--linux-binary", required=True, help="the Linux build, for reference")
    parser.add_argument("--data", required=True, help="the default scene")
    parser.add_argument("--wineprefix", required=True)
    parser.add_argument("--importer", required=True, help="the Linux build's mirtal-import")
    parser.add_argument("--model", default="/usr/share/assimp/models/" + WALK_THROUGH_MODEL)
    return parser.parse_args()


def imported_dlls(exe):
    dump = run("x86_64-w64-mingw32-objdump", "-p", exe)
    return {line.split(":", 1)[1].strip().lower()
            for line in dump.splitlines() if "DLL Name:" in line}


def check_files(checks, args, unpacked):
    dlls = imported_dlls(os.path.join(unpacked, "mirtal.exe"))
    checks.check(dlls and dlls <= WINDOWS_DLLS,
                 f"mirtal.exe imports only Windows' own DLLs (also: {sorted(dlls - WINDOWS_DLLS)})")

    with zipfile.ZipFile(args.zip) as archive:
        names = archive.namelist()
    checks.check(all("/" not in name for name in names), "the zip holds no folders")
    bitmaps = [n for n in names if n.endswith(".bmp")]
    raws = [n for n in names if n.endswith(".raw")]
    checks.check(len(bitmaps) == BITMAP_COUNT and len(raws) == RAW_IMAGES
                 and all(n in names for n in SCENE_FILES),
                 f"the zip holds the 17 bitmaps, 4 raw images and 2 scene files "
                 f"({len(bitmaps)}, {len(raws)}, {len(set(SCENE_FILES) & set(names))})")
    scene = sorted(n for n in os.listdir(args.data) if n.endswith((".bmp", ".raw", ".geo")))
    checks.check(sorted(bitmaps + raws + list(SCENE_FILES)) == scene and all(
                     filecmp.cmp(os.path.join(unpacked, n), os.path.join(args.data, n), shallow=False)
                     for n in scene),
                 "the zip's scene files are the default scene's, byte for byte")
    others = set(names) - set(scene)
    checks.check(others == {"mirtal.exe", "LEIA-ME.txt", "README.txt"},
                 f"beside them: mirtal.exe and the two read-me texts ({sorted(others)})")


def start_wine():
    """Wine's server, kept for the whole run, and the prefix's first start
    (which makes the prefix if need be), with none of our pipes: the Windows
    processes started beside the program (services, the desktop) would
    otherwise hold its output open."""
    quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "--persistent"], **quiet, timeout=60)
    subprocess.run(["wine", "wineboot", "--init"], **quiet, timeout=300)


def start_under_wine(unpacked):
    """mirtal.exe started in a copy of the folder it was unpacked in."""
    app = Mirtal(os.path.join(unpacked, "mirtal.exe"), unpacked, prefix=("wine",))
    try:
        app.wait_for_window(timeout=WINE_START_TIMEOUT)
    except RuntimeError as error:
        out, err = app.output() if app.process.poll() is not None else ("", "")
        app.close()
        raise RuntimeError(f"under Wine: {error}; its output: {out!r} {err!r}") from error
    wait_for_first_frame(app)
    # Wine hands keys only to the window it holds active, and with no window
    # manager a window becomes active by a click. The program does nothing
    # with the left button.
    x, y, width, height = window_geometry(app.window)
    move_pointer(x + width // 2, y + height // 2)
    run("xdotool", "click", "1")
    return app


def linux_reference(args, data=None):
    """The Linux build's F3 picture and its standard output, on data (the
    default scene if None)."""
    app = Mirtal(os.path.abspath(args.linux_binary), data or args.data)
    try:
        app.wait_for_window()
        wait_for_first_frame(app)
        f3 = view_picture(app, "F3")
        app.key("Escape")
        app.wait_for_exit()
        out, _ = app.output()
        return f3, out
    finally:
        app.close()


def check_run(checks, unpacked, linux_f3, linux_output):
    app = start_under_wine(unpacked)
    try:
        _, _, width, height = window_geometry(app.window)
        checks.check((width, height) == (640, 480), f"the window is 640 x 480 (got {width} x {height})")
        title = run("xdotool", "getwindowname", app.window).strip()
        checks.check(title == "Mirtal", f"the window is named Mirtal (got {title!r})")

        before = try_screenshot(app)
        app.key("w", "w", "w")
        walked = picture_unlike(app, before)
        unlike = share_unlike(walked, before)
        checks.check(unlike > OTHER_VIEW, f"W changes the picture ({unlike:.3f} unlike)")

        f3 = view_picture(app, "F3")
        unlike = share_unlike(f3, linux_f3)
        checks.check(unlike <= SAME_VIEW,
                     f"F3 shows the Linux build's F3 picture ({unlike:.3f} unlike)")

        app.key("Escape")
        status = app.wait_for_exit(timeout=30)
        checks.check(status == 0, f"ESC ends it with status 0 (got {status})")
        out, _ = app.output()
    finally:
        app.close()

    lines = linux_output.splitlines()
    checks.check(len(lines) == BITMAP_COUNT and all(l.startswith("numRows,numCols = ") for l in lines),
                 f"the Linux build prints the 17 reader lines (got {len(lines)} lines)")
    same = out.count("\r\n") == BITMAP_COUNT and out.replace("\r\n", "\n") == linux_output
    checks.check(same, "the exe prints the same lines with Windows line ends"
                       + ("" if same else f" ({out!r} beside {linux_output!r})"))


def check_swap_interval(checks, unpacked):
    """Wine's WGL names WGL_EXT_swap_control, so the exe asks it for a swap
    interval of 1 at start-up, as its trace of WGL calls shows. The trace
    grows with every frame: it goes to a file, not a pipe."""
    asked = "wglSwapIntervalEXT (1)"
    workdir = tempfile.mkdtemp(prefix="mirtal-wine-")
    try:
        with tempfile.NamedTemporaryFile() as trace:
            process = subprocess.Popen(["wine", os.path.join(unpacked, "mirtal.exe")], cwd=workdir,
                                       stdout=subprocess.DEVNULL, stderr=trace,
                                       env=dict(os.environ, WINEDEBUG="trace+wgl"))
            try:
                deadline = time.time() + WINE_START_TIMEOUT
                while time.time() < deadline and process.poll() is None:
                    with open(trace.name, "rb") as calls:
                        if asked.encode() in calls.read():
                            break
                    time.sleep(0.2)
            finally:
                process.kill()
                process.wait()
            with open(trace.name, "rb") as calls:
                seen = asked.encode() in calls.read()
    finally:
        shutil.rmtree(workdir, ignore_errors=True)
    checks.check(seen, "under Wine the exe asks for swap interval 1 through WGL_EXT_swap_control")


def check_menu_exit(checks, unpacked):
    app = start_under_wine(unpacked)
    try:
        checks.check(choose_menu_path(app, [SAIR]), "a right click opens the menu and Sair is chosen")
        status = app.wait_for_exit(timeout=30)
        checks.check(status == 0, f"Sair ends it with status 0 (got {status})")
    finally:
        app.close()


def import_with_zip(args, scratch, name):
    """mirtal-import MODEL scratch/NAME/scene --windows-zip scratch/NAME/walk.zip:
    (status, standard error, folder, zip)."""
    os.makedirs(os.path.join(scratch, name))
    folder = os.path.join(scratch, name, "scene")
    archive = os.path.join(scratch, name, "walk.zip")
    result = subprocess.run([os.path.abspath(args.importer), args.model, folder,
                             "--windows-zip", archive], capture_output=True, text=True, timeout=300)
    return result.returncode, result.stderr, folder, archive


def check_walk_through_zip(checks, args, scratch, default_f3):
    status, err, folder, archive = import_with_zip(args, scratch, "a")
    checks.check(status == 0, f"mirtal-import --windows-zip: status 0 (got {status}: {err.strip()!r})")
    if status != 0:
        return
    status, _, _, again = import_with_zip(args, scratch, "b")
    with open(archive, "rb") as a, open(again, "rb") as b:
        checks.check(status == 0 and a.read() == b.read(), "the same import gives the same zip bytes")

    top = "walk/"
    scene = sorted(n for n in os.listdir(folder) if n.endswith((".bmp", ".raw", ".geo")))
    expected = ([top, top + "mirtal.exe", top + "LEIA-ME.txt", top + "README.txt"]
                + [top + n for n in scene])
    with zipfile.ZipFile(archive) as zipped:
        infos = zipped.infolist()
        names = [i.filename for i in infos]
        checks.check(names == expected and len(scene) == BITMAP_COUNT + 2 + RAW_IMAGES,
                     f"one top folder {top} with mirtal.exe, the read-me texts and the 23 scene "
                     f"files in name order (got {names})")
        checks.check({i.date_time for i in infos} == {(1980, 1, 1, 0, 0, 0)},
                     "every entry has the one fixed time")
        same = all(zipped.read(top + n) == open(os.path.join(folder, n), "rb").read() for n in scene)
        checks.check(same, "the zip's scene files are the imported folder's, byte for byte")
        with zipfile.ZipFile(args.zip) as release:
            exe = release.read(next(n for n in release.namelist() if n.endswith("mirtal.exe")))
        checks.check(zipped.read(top + "mirtal.exe") == exe,
                     "the zip's mirtal.exe is the release zip's")
        unpacked = os.path.join(scratch, "unpacked")
        zipped.extractall(unpacked)

    linux_f3, _ = linux_reference(args, folder)
    unlike = share_unlike(linux_f3, default_f3)
    checks.check(unlike > OTHER_VIEW, f"on Linux, F3 on the imported folder is unlike the default "
                                      f"scene's ({unlike:.3f} unlike)")
    app = start_under_wine(os.path.join(unpacked, top))
    try:
        f3 = view_picture(app, "F3")
        unlike = share_unlike(f3, default_f3)
        checks.check(unlike > OTHER_VIEW,
                     f"the zip's exe shows the imported model ({unlike:.3f} unlike the default F3)")
        unlike = share_unlike(f3, linux_f3)
        checks.check(unlike <= SAME_VIEW,
                     f"its F3 shows the Linux build's F3 picture of the folder ({unlike:.3f} unlike)")
        app.key("Escape")
        status = app.wait_for_exit(timeout=30)
        checks.check(status == 0, f"ESC ends it with status 0 (got {status})")
    finally:
        app.close()


def check_no_windows_build(checks, args, scratch):
    """A copy of the importer far from any Windows build."""
    alone = os.path.join(scratch, "alone")
    os.makedirs(alone)
    shutil.copy(args.importer, alone)
    folder = os.path.join(scratch, "not-written")
    result = subprocess.run([os.path.join(alone, os.path.basename(args.importer)), args.model,
                             folder, "--windows-zip", os.path.join(scratch, "no.zip")],
                            capture_output=True, text=True, timeout=300)
    checks.check(result.returncode == 2 and result.stderr.count("\n") == 1
                 and "mirtal.exe" in result.stderr,
                 f"with no Windows build, --windows-zip ends with status 2 and one line naming "
                 f"mirtal.exe (got {result.returncode}: {result.stderr!r})")
    checks.check(not os.path.exists(folder) and not os.path.exists(os.path.join(scratch, "no.zip")),
                 "and writes neither the folder nor the zip")


def main():
    args = parse_args()
    checks = Checks("wine")
    os.environ["WINEPREFIX"] = os.path.abspath(args.wineprefix)
    os.environ["WINEDEBUG"] = "-all"
    unpacked = tempfile.mkdtemp(prefix="mirtal-zip-")
    try:
        with zipfile.ZipFile(args.zip) as archive:
            archive.extractall(unpacked)
        check_files(checks, args, unpacked)
        start_wine()
        linux_f3, linux_output = linux_reference(args)
        check_run(checks, unpacked, linux_f3, linux_output)
        check_menu_exit(checks, unpacked)
        check_swap_interval(checks, unpacked)
        walk_through = tempfile.mkdtemp(prefix="mirtal-walk-")
        try:
            check_walk_through_zip(checks, args, walk_through, linux_f3)
            check_no_windows_build(checks, args, walk_through)
        finally:
            shutil.rmtree(walk_through, ignore_errors=True)
    finally:
        # The prefix's server and its helper processes end with it.
        subprocess.run(["wineserver", "--kill"], capture_output=True, timeout=60)
        shutil.rmtree(unpacked, ignore_errors=True)
    checks.finish()


if __name__ == "__main__":
    main()
