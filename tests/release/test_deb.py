"""The Debian package, tested without installing it:

- dpkg-deb -I: package mirtal in section games, the version of its file
  name, amd64, depending on the freeglut, GLU and GL runtime packages;
- dpkg-deb -c: the program in /usr/libexec/mirtal, the launcher
  /usr/games/mirtal (both executable), the default scene's 23 files under
  /usr/share/games/mirtal, the desktop entry, a 64 x 64 PNG icon, the
  manual page, the copyright file and the changelog;
- unpacked with dpkg-deb -x into a scratch root, the launcher there, run
  from another (empty) folder, opens the window and finds the scene (the 17
  bitmap reader lines); ESC ends it with status 0; it writes nothing;
- lintian reports no error;
- the film recorder /usr/games/mirtal-record and its manual page (section 1)
  are in it, ffmpeg is recommended, and the unpacked recorder films a short
  flight of the packaged scene.

Run under tests/with_xvfb.sh."""

import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from mirtal_e2e import Checks, Mirtal, run, wait_for_first_frame  # noqa: E402

DATA = "usr/share/games/mirtal"
PROGRAM = "usr/libexec/mirtal/mirtal"
LAUNCHER = "usr/games/mirtal"
ICON = "usr/share/icons/hicolor/64x64/apps/mirtal.png"
DESKTOP = "usr/share/applications/mirtal.desktop"
FILES = [PROGRAM, LAUNCHER, ICON, DESKTOP, "usr/share/man/man6/mirtal.6.gz",
         "usr/share/doc/mirtal/copyright", "usr/share/doc/mirtal/changelog.gz"]
# Runtime packages of the libraries the program links, as Debian 12 names them.
DEPENDS = ["libglut3.12", "libglu1-mesa", "libgl1"]
SCENE_COUNTS = {".bmp": 17, ".raw": 4, ".geo": 2}


def control_fields(deb):
    fields = {}
    for line in run("dpkg-deb", "-f", deb).splitlines():
        key, sep, value = line.partition(":")
        if sep and not line.startswith(" "):
            fields[key] = value.strip()
    return fields


def check_control(checks, deb):
    print(run("dpkg-deb", "-I", deb))
    fields = control_fields(deb)
    version = re.match(r"mirtal_(.+)_amd64\.deb$", os.path.basename(deb)).group(1)
    checks.check((fields.get("Package"), fields.get("Version"), fields.get("Architecture"),
                  fields.get("Section")) == ("mirtal", version, "amd64", "games"),
                 f"mirtal {version}, amd64, section games")
    depends = [d.strip().split()[0] for d in fields.get("Depends", "").split(",") if d.strip()]
    missing = [d for d in DEPENDS if d not in depends]
    checks.check(not missing, f"depends on {', '.join(DEPENDS)} (missing: {missing})")


def check_contents(checks, deb):
    listing = run("dpkg-deb", "-c", deb)
    print(listing)
    modes = {}
    for line in listing.splitlines():
        fields = line.split()
        modes[fields[-1].lstrip("./").rstrip("/")] = fields[0]
    missing = [f for f in FILES if f not in modes]
    checks.check(not missing, f"the package holds its files (missing: {missing})")
    checks.check(all(modes.get(f) == "-rwxr-xr-x" for f in (PROGRAM, LAUNCHER)),
                 "the program and the launcher are executable")
    scene = [f for f in modes if f.startswith(DATA + "/")]
    counts = {ext: sum(f.endswith(ext) for f in scene) for ext in SCENE_COUNTS}
    checks.check(counts == SCENE_COUNTS and len(scene) == sum(SCENE_COUNTS.values()),
                 f"the scene's 17 bitmaps, 4 raw images and 2 scene files, nothing else ({counts})")


def tree(root):
    """Every file under root with its size."""
    return sorted((os.path.relpath(os.path.join(folder, name), root),
                   os.path.getsize(os.path.join(folder, name)))
                  for folder, _, names in os.walk(root) for name in names)


def check_unpacked(checks, deb):
    root = tempfile.mkdtemp(prefix="mirtal-deb-")
    try:
        run("dpkg-deb", "-x", deb, root)
        with open(os.path.join(root, ICON), "rb") as f:
            head = f.read(24)
        size = struct.unpack(">II", head[16:24]) if head[:8] == b"\x89PNG\r\n\x1a\n" else None
        checks.check(size == (64, 64), f"the icon is a 64 x 64 PNG (got {size})")
        with open(os.path.join(root, DESKTOP)) as f:
            entry = f.read().splitlines()
        checks.check("Exec=mirtal" in entry and "Icon=mirtal" in entry,
                     "the desktop entry starts the launcher and names the icon")

        before = tree(root)
        # Mirtal runs its command in a scratch folder of its own, here empty.
        app = Mirtal(os.path.join(root, LAUNCHER))
        try:
            try:
                app.wait_for_window()
            except RuntimeError as error:
                checks.check(False, f"the launcher from another folder opens the window ({error}: "
                                    f"{app.output()})")
                return
            wait_for_first_frame(app)
            checks.check(app.process.poll() is None, "the launcher from another folder opens the window")
            app.key("Escape")
            status = app.wait_for_exit()
            checks.check(status == 0, f"ESC ends it with status 0 (got {status})")
            out, err = app.output()
            lines = out.splitlines()
            read = len(lines) == SCENE_COUNTS[".bmp"] and all(
                l.startswith("numRows,numCols = ") for l in lines)
            checks.check(read, "it reads the 17 bitmaps of the packaged scene"
                               + ("" if read else f" ({out!r} {err!r})"))
            checks.check(os.listdir(app.workdir) == [] and tree(root) == before,
                         "it writes nothing, neither where it was started nor in its own tree")
        finally:
            app.close()
    finally:
        shutil.rmtree(root, ignore_errors=True)


def check_recorder(checks, deb):
    fields = control_fields(deb)
    recommends = [d.strip().split()[0] for d in fields.get("Recommends", "").split(",") if d.strip()]
    checks.check("ffmpeg" in recommends, f"ffmpeg is recommended ({recommends})")
    listing = run("dpkg-deb", "-c", deb)
    for name in ("usr/games/mirtal-record", "usr/share/man/man1/mirtal-record.1.gz"):
        checks.check(f"./{name}" in listing.split(), f"the package holds {name}")
    root = tempfile.mkdtemp(prefix="mirtal-deb-record-")
    try:
        run("dpkg-deb", "-x", deb, root)
        film = os.path.join(root, "flight.gif")
        result = subprocess.run([os.path.join(root, "usr/games/mirtal-record"), "--flight", "--size",
                                 "64x48", "--supersample", "1", os.path.join(root, DATA), film],
                                capture_output=True, text=True, timeout=120)
        checks.check(result.returncode == 0 and os.path.exists(film) and os.path.getsize(film) > 0,
                     f"the unpacked recorder films the packaged scene (status {result.returncode}: "
                     f"{result.stderr.strip()[-200:]})")
    finally:
        shutil.rmtree(root, ignore_errors=True)


def check_lintian(checks, deb):
    result = subprocess.run(["lintian", "--fail-on", "error", deb],
                            capture_output=True, text=True, timeout=600)
    print(f"lintian: {result.stdout.strip() or 'no tags'}")
    checks.check(result.returncode == 0, f"lintian reports no error (status {result.returncode})")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--deb", required=True)
    args = parser.parse_args()
    checks = Checks("deb")
    check_control(checks, args.deb)
    check_contents(checks, args.deb)
    check_unpacked(checks, args.deb)
    check_recorder(checks, args.deb)
    check_lintian(checks, args.deb)
    checks.finish()


if __name__ == "__main__":
    main()
