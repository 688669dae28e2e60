"""The Windows zip, unpacked into a scratch folder, and its mirtal.exe run
there under Wine on the same Xvfb and Mesa as the Linux build:

- mirtal.exe imports no DLL but Windows' own (its runtimes are linked in);
- its resource table (read from the PE file) holds an icon group of the
  house at 16, 32, 48, 64, 128 and 256 pixels, each image there and all
  of one drawing (as test_deb.py checks the Linux icons), and
  version information: product name Mirtal, a file description, and the
  version of the zip's name in both the fixed and the text fields;
- the zip unpacks into one folder, mirtal-<version>/, which holds
  mirtal.exe, the 17 bitmaps, the two scene files, the four raw images, the
  two read-me texts and LICENSE.txt (the project's LICENSE with Windows
  line ends); its entries come in byte order of their names, all with one
  date and with modes 0755 (the folder, mirtal.exe) and 0644 (the rest);
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
- one top folder named after the zip, holding mirtal.exe and the read-me
  and licence texts (the release zip's, the texts naming this zip's folder
  where the release's name theirs) and the imported folder's 23 files byte
  for byte, in that order, each entry at one fixed time; the same import
  gives the same bytes;
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
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import mirtal_e2e  # noqa: E402
from mirtal_e2e import (OTHER_VIEW, SAME_VIEW, Checks, Mirtal, Picture, choose_menu_path,  # noqa: E402
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
LICENSE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "LICENSE")
ICON_SIZES = (16, 32, 48, 64, 128, 256)
RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16
# As for the Linux icons (tests/release/test_deb.py): every size, reduced
# to 16 x 16, within this mean channel difference of the 256 px one.
ICON_LIKENESS = 10
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


def pe_resources(path):
    """The exe's resources, {type: {id: bytes}} (each in its first
    language), read through the PE file's resource table."""
    with open(path, "rb") as f:
        image = f.read()
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise ValueError(f"{path} is not a PE file")
    section_count, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    optional = pe + 24
    pe32_plus = struct.unpack_from("<H", image, optional)[0] == 0x20B
    directories = optional + (112 if pe32_plus else 96)
    table_rva = struct.unpack_from("<I", image, directories + 2 * 8)[0]  # the resource table
    if table_rva == 0:
        return {}
    sections = [struct.unpack_from("<8xIIII", image, optional + optional_size + 40 * i)
                for i in range(section_count)]

    def offset(rva):
        for virtual_size, address, raw_size, raw in sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw + rva - address
        raise ValueError(f"{path}: address {rva:#x} lies in no section")

    table = offset(table_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<12xHH", image, table + directory)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", image, table + directory + 16 + 8 * i)
            yield name, target

    resources = {}
    for kind, kind_dir in entries(0):
        for name, name_dir in entries(kind_dir & 0x7FFFFFFF):
            _, data = next(entries(name_dir & 0x7FFFFFFF))
            rva, size = struct.unpack_from("<II", image, table + data)
            resources.setdefault(kind, {})[name] = image[offset(rva):offset(rva) + size]
    return resources


def read_icon_image(image):
    """An icon image that is a 32-bit uncompressed bitmap (its height counts
    the mask's rows too), as a picture; None for anything else."""
    if len(image) < 40:
        return None
    _, width, height, _, bits, compression = struct.unpack_from("<IiiHHI", image)
    height //= 2
    if bits != 32 or compression != 0 or width <= 0 or len(image) < 40 + 4 * width * height:
        return None
    rows = [[tuple(image[40 + 4 * (y * width + x) + c] for c in (2, 1, 0)) for x in range(width)]
            for y in range(height)]
    return Picture(width, height, rows[::-1])  # rows bottom up


def version_info(block):
    """The fixed file version (major, minor, patch, build) and the text
    fields of a VS_VERSIONINFO resource."""
    def node(at):
        length, value_length, text = struct.unpack_from("<HHH", block, at)
        end = at + 6
        while block[end:end + 2] != b"\0\0":
            end += 2
        key = block[at + 6:end].decode("utf-16-le")
        value_at = (end + 2 + 3) & ~3
        value = block[value_at:value_at + value_length * (2 if text else 1)]
        children, child = [], (value_at + len(value) + 3) & ~3
        while child < at + length:
            children.append(node(child))
            child = (child + children[-1][3] + 3) & ~3
        return key, value, children, length

    key, fixed, children, _ = node(0)
    signature, _, ms, ls = struct.unpack_from("<IIII", fixed)
    version = (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF) if signature == 0xFEEF04BD else None
    texts = {}
    for name, _, tables, _ in children:
        if name == "StringFileInfo":
            for _, _, strings, _ in tables:
                for field, value, _, _ in strings:
                    texts[field] = value.decode("utf-16-le").rstrip("\0")
    return key, version, texts


def check_resources(checks, exe, version):
    resources = pe_resources(exe)
    groups = resources.get(RT_GROUP_ICON, {})
    checks.check(len(groups) == 1, f"mirtal.exe holds one icon group (got {len(groups)})")
    sizes, images_match, pictures = [], bool(groups), {}
    for group in groups.values():
        count = struct.unpack_from("<4xH", group)[0]
        for i in range(count):
            width, height, bits, size, icon_id = struct.unpack_from("<BB4xHIH", group, 6 + 14 * i)
            side = width or 256  # 256 is written 0
            sizes.append(side)
            image = resources.get(RT_ICON, {}).get(icon_id, b"")
            # Each image: a 32-bit bitmap whose height counts its mask too,
            # or a PNG, of the size the group names.
            picture = read_icon_image(image)
            got = (picture.width, picture.height) if picture else None
            images_match &= got == (side, side) and len(image) == size and (height or 256) == side
            if got == (side, side):
                pictures[side] = picture.reduced(16)
    checks.check(sorted(sizes) == list(ICON_SIZES) and images_match,
                 f"its icon: 32-bit images of {ICON_SIZES} pixels, each at its size (got {sizes})")
    unlike = {side: round(p.mean_difference(pictures[256]), 2)
              for side, p in pictures.items() if 256 in pictures}
    checks.check(len(unlike) == len(ICON_SIZES) and max(unlike.values()) <= ICON_LIKENESS,
                 f"its icons show one drawing at every size (mean difference from the 256 px "
                 f"one at 16 x 16: {unlike})")

    blocks = list(resources.get(RT_VERSION, {}).values())
    key, fixed, texts = version_info(blocks[0]) if blocks else (None, None, {})
    print(f"version information: {fixed} {texts}")
    expected = tuple(int(n) for n in version.split(".")) + (0,)
    checks.check(key == "VS_VERSION_INFO" and fixed == expected,
                 f"its version information, version {expected} (got {key} {fixed})")
    checks.check(texts.get("ProductName") == "Mirtal" and texts.get("FileDescription")
                 and texts.get("FileVersion") == version and texts.get("ProductVersion") == version,
                 f"product name Mirtal, a file description, file and product version {version}")


def check_zip_entries(checks, zip_path, version):
    top = f"mirtal-{version}/"
    with zipfile.ZipFile(zip_path) as archive:
        infos = archive.infolist()
    names = [i.filename for i in infos]
    checks.check(names and names[0] == top and all(n.startswith(top) for n in names)
                 and not any("/" in n[len(top):].rstrip("/") for n in names),
                 f"the zip unpacks into one folder, {top}, with no folder in it")
    checks.check(names == sorted(names, key=str.encode), "its entries come in byte order of names")
    modes = {i.filename[len(top):]: i.external_attr >> 16 & 0o7777 for i in infos}
    expected = {name: 0o755 if name in ("", "mirtal.exe") else 0o644 for name in modes}
    checks.check(len({i.date_time for i in infos}) == 1 and modes == expected,
                 f"one date for all, modes 0755 for the folder and mirtal.exe, 0644 for the rest "
                 f"({ {n: oct(m) for n, m in modes.items() if m != expected[n]} })")


def check_files(checks, args, unpacked, version):
    exe = os.path.join(unpacked, "mirtal.exe")
    dlls = imported_dlls(exe)
    checks.check(dlls and dlls <= WINDOWS_DLLS,
                 f"mirtal.exe imports only Windows' own DLLs (also: {sorted(dlls - WINDOWS_DLLS)})")
    check_resources(checks, exe, version)
    check_zip_entries(checks, args.zip, version)

    names = os.listdir(unpacked)
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
    checks.check(others == {"mirtal.exe", "LEIA-ME.txt", "README.txt", "LICENSE.txt"},
                 f"beside them: mirtal.exe, the two read-me texts and the licence ({sorted(others)})")
    with open(LICENSE, "rb") as f:
        licence = f.read().replace(b"\n", b"\r\n")
    with open(os.path.join(unpacked, "LICENSE.txt"), "rb") as f:
        checks.check(f.read() == licence, "LICENSE.txt is the project's LICENSE, Windows line ends")


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


def check_walk_through_zip(checks, args, scratch, default_f3, version):
    status, err, folder, archive = import_with_zip(args, scratch, "a")
    checks.check(status == 0, f"mirtal-import --windows-zip: status 0 (got {status}: {err.strip()!r})")
    if status != 0:
        return
    status, _, _, again = import_with_zip(args, scratch, "b")
    with open(archive, "rb") as a, open(again, "rb") as b:
        checks.check(status == 0 and a.read() == b.read(), "the same import gives the same zip bytes")

    top = "walk/"
    scene = sorted(n for n in os.listdir(folder) if n.endswith((".bmp", ".raw", ".geo")))
    texts = ["LEIA-ME.txt", "README.txt", "LICENSE.txt"]
    expected = [top, top + "mirtal.exe"] + [top + n for n in texts] + [top + n for n in scene]
    with zipfile.ZipFile(archive) as zipped:
        infos = zipped.infolist()
        names = [i.filename for i in infos]
        checks.check(names == expected and len(scene) == BITMAP_COUNT + 2 + RAW_IMAGES,
                     f"one top folder {top} with mirtal.exe, the read-me and licence texts and "
                     f"the 23 scene files in name order (got {names})")
        checks.check({i.date_time for i in infos} == {(1980, 1, 1, 0, 0, 0)},
                     "every entry has the one fixed time")
        same = all(zipped.read(top + n) == open(os.path.join(folder, n), "rb").read() for n in scene)
        checks.check(same, "the zip's scene files are the imported folder's, byte for byte")
        # The texts name the zip's own folder where the release's name theirs.
        release_top = f"mirtal-{version}/"
        with zipfile.ZipFile(args.zip) as release:
            same = {n: zipped.read(top + n) == release.read(release_top + n).replace(
                        release_top[:-1].encode(), top[:-1].encode())
                    for n in ["mirtal.exe"] + texts}
        checks.check(all(same.values()),
                     f"the zip's mirtal.exe and texts are the release zip's, the texts naming "
                     f"{top} ({same})")
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
    version = re.match(r"mirtal-(.+)-windows-x86_64\.zip$", os.path.basename(args.zip)).group(1)
    scratch = tempfile.mkdtemp(prefix="mirtal-zip-")
    unpacked = os.path.join(scratch, f"mirtal-{version}")
    try:
        with zipfile.ZipFile(args.zip) as archive:
            archive.extractall(scratch)
        check_files(checks, args, unpacked, version)
        start_wine()
        linux_f3, linux_output = linux_reference(args)
        check_run(checks, unpacked, linux_f3, linux_output)
        check_menu_exit(checks, unpacked)
        check_swap_interval(checks, unpacked)
        walk_through = tempfile.mkdtemp(prefix="mirtal-walk-")
        try:
            check_walk_through_zip(checks, args, walk_through, linux_f3, version)
            check_no_windows_build(checks, args, walk_through)
        finally:
            shutil.rmtree(walk_through, ignore_errors=True)
    finally:
        # The prefix's server and its helper processes end with it.
        subprocess.run(["wineserver", "--kill"], capture_output=True, timeout=60)
        shutil.rmtree(scratch, ignore_errors=True)
    checks.finish()


if __name__ == "__main__":
    main()
