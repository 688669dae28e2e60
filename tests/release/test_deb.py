"""The two Debian packages, tested without installing them:

- dpkg-deb -I: mirtal (amd64) and mirtal-data (all), both of the version of
  their file names, in section games; mirtal depends on the freeglut, GLU
  and GL runtime packages and on mirtal-data of exactly its own version;
  mirtal-data depends on nothing;
- dpkg-deb -c: mirtal holds the program in /usr/libexec/mirtal and the
  launcher /usr/games/mirtal (both executable), the desktop entry, the icon
  at 16, 32, 48, 64, 128 and 256 pixels in the hicolor theme, the manual
  page, and no scene file; mirtal-data holds the default scene's 23 files
  under /usr/share/games/mirtal and nothing else but its documentation;
  each has its own copyright file and changelog;
- unpacked: each icon is a PNG of its folder's size, and all show one
  drawing (each, reduced to 16 x 16, within ICON_LIKENESS of the 256 one
  reduced; the one drawn a sixteenth of its width aside is 16 off); the
  copyright file is
  in Debian's machine-readable format and its Expat licence is the text of
  the project's LICENSE; the changelog's latest entry is the package's
  version;
- both unpacked with dpkg-deb -x into one scratch root, the launcher there,
  run from another (empty) folder, opens the window and finds the scene
  (the 17 bitmap reader lines); ESC ends it with status 0; it writes
  nothing;
- lintian reports no error and no warning on either, and no informational
  tag but those accepted below, each with the reason it stays.

Run under tests/with_xvfb.sh."""

import argparse
import gzip
import zlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from mirtal_e2e import Checks, Mirtal, Picture, run, wait_for_first_frame  # noqa: E402

LICENSE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "LICENSE")
DATA = "usr/share/games/mirtal"
PROGRAM = "usr/libexec/mirtal/mirtal"
LAUNCHER = "usr/games/mirtal"
ICON_SIZES = (16, 32, 48, 64, 128, 256)
ICONS = [f"usr/share/icons/hicolor/{size}x{size}/apps/mirtal.png" for size in ICON_SIZES]
DESKTOP = "usr/share/applications/mirtal.desktop"
FILES = [PROGRAM, LAUNCHER, DESKTOP, "usr/share/man/man6/mirtal.6.gz"] + ICONS


def doc_files(package):
    return [f"usr/share/doc/{package}/copyright", f"usr/share/doc/{package}/changelog.gz"]


# Runtime packages of the libraries the program links, as Debian 12 names them.
DEPENDS = ["libglut3.12", "libglu1-mesa", "libgl1"]
SCENE_COUNTS = {".bmp": 17, ".raw": 4, ".geo": 2}
# Mean channel difference (0 to 255) allowed between two sizes of the icon,
# both reduced to 16 x 16: the small sizes average fewer texels a pixel
# (7.7 for 16 px, 0.3 for 128 px), while the same drawing moved by a
# sixteenth of its width differs by 16.5.
ICON_LIKENESS = 10
COPYRIGHT_FORMAT = "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
# Informational lintian tags that stay, with why the packages cannot lose
# them. None today.
ACCEPTED_INFO_TAGS = {}


def control_fields(deb):
    fields = {}
    for line in run("dpkg-deb", "-f", deb).splitlines():
        key, sep, value = line.partition(":")
        if sep and not line.startswith(" "):
            fields[key] = value.strip()
    return fields


def check_control(checks, deb, data_deb):
    print(run("dpkg-deb", "-I", deb))
    print(run("dpkg-deb", "-I", data_deb))
    version = re.match(r"mirtal_(.+)_amd64\.deb$", os.path.basename(deb)).group(1)
    fields = control_fields(deb)
    checks.check((fields.get("Package"), fields.get("Version"), fields.get("Architecture"),
                  fields.get("Section")) == ("mirtal", version, "amd64", "games"),
                 f"mirtal {version}, amd64, section games")
    depends = [d.strip() for d in fields.get("Depends", "").split(",") if d.strip()]
    missing = [d for d in DEPENDS if d not in [d.split()[0] for d in depends]]
    checks.check(not missing, f"mirtal depends on {', '.join(DEPENDS)} (missing: {missing})")
    checks.check(f"mirtal-data (= {version})" in depends,
                 f"mirtal depends on mirtal-data (= {version}) ({fields.get('Depends')})")

    data = control_fields(data_deb)
    checks.check((os.path.basename(data_deb), data.get("Package"), data.get("Version"),
                  data.get("Architecture"), data.get("Section"))
                 == (f"mirtal-data_{version}_all.deb", "mirtal-data", version, "all", "games"),
                 f"mirtal-data {version}, architecture all, section games")
    checks.check("Depends" not in data and "Pre-Depends" not in data,
                 f"mirtal-data depends on nothing ({data.get('Depends')})")


def listing(deb):
    """The package's files and folders, each with its mode."""
    modes = {}
    for line in run("dpkg-deb", "-c", deb).splitlines():
        fields = line.split()
        modes[fields[-1].lstrip("./").rstrip("/")] = fields[0]
    return modes


def check_contents(checks, deb, data_deb):
    modes = listing(deb)
    print("\n".join(sorted(modes)))
    missing = [f for f in FILES + doc_files("mirtal") if f not in modes]
    checks.check(not missing, f"mirtal holds its files (missing: {missing})")
    checks.check(all(modes.get(f) == "-rwxr-xr-x" for f in (PROGRAM, LAUNCHER)),
                 "the program and the launcher are executable")
    scene_there = [f for f in modes if f.startswith(DATA + "/") and f.endswith(tuple(SCENE_COUNTS))]
    checks.check(not scene_there, f"mirtal holds no scene file ({scene_there})")

    data_modes = listing(data_deb)
    print("\n".join(sorted(data_modes)))
    files = [f for f, mode in data_modes.items() if not mode.startswith("d")]
    scene = [f for f in files if f.startswith(DATA + "/")]
    counts = {ext: sum(f.endswith(ext) for f in scene) for ext in SCENE_COUNTS}
    checks.check(counts == SCENE_COUNTS and len(scene) == sum(SCENE_COUNTS.values()),
                 f"mirtal-data holds the scene's 17 bitmaps, 4 raw images and 2 scene files "
                 f"({counts})")
    others = sorted(set(files) - set(scene))
    checks.check(others == sorted(doc_files("mirtal-data")),
                 f"beside them only its copyright file and changelog ({others})")


def check_copyright(checks, path, label):
    """Debian's machine-readable format: a header paragraph, a Files
    paragraph for everything under the Expat licence, and the licence's
    text in a paragraph of its own, the same as the project's LICENSE."""
    with open(path) as f:
        paragraphs = [p.splitlines() for p in f.read().split("\n\n") if p.strip()]
    checks.check(paragraphs[0][0] == COPYRIGHT_FORMAT, f"{label}: the format's header line")
    fields = [dict(re.match(r"([A-Za-z-]+):\s*(.*)", l).groups() for l in p if not l.startswith(" "))
              for p in paragraphs]
    checks.check(any(f.get("Files") == "*" and f.get("License") == "Expat" for f in fields),
                 f"{label}: every file under the Expat licence")
    texts = [p[1:] for p in paragraphs if p[0] == "License: Expat"]
    # A field's text lines start with a space; "." stands for an empty line.
    text = "\n".join("" if l == " ." else l[1:] for l in texts[0]) if texts else ""
    with open(LICENSE) as f:
        licence = f.read().split("\n\n", 1)[1].strip()
    checks.check(text == licence, f"{label}: the Expat text, as the project's LICENSE has it")


def check_changelog(checks, path, label, version):
    with gzip.open(path, "rt") as f:
        head = f.readline()
    checks.check(head.startswith(f"mirtal ({version}) "),
                 f"{label}: the latest entry is version {version} ({head.strip()})")


def read_png(path):
    """An 8-bit RGB PNG without interlace or row filters, as the icon
    painter writes them; None for anything else."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    chunks, at = {}, 8
    while at + 8 <= len(data):
        length, kind = struct.unpack_from(">I4s", data, at)
        chunks[kind] = chunks.get(kind, b"") + data[at + 8:at + 8 + length]
        at += 12 + length
    width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"])
    raw = zlib.decompress(chunks.get(b"IDAT", b""))
    stride = 3 * width + 1
    if (depth, colour, interlace) != (8, 2, 0) or len(raw) != stride * height or any(
            raw[y * stride] for y in range(height)):
        return None
    return Picture(width, height, [[tuple(raw[y * stride + 1 + 3 * x:y * stride + 4 + 3 * x])
                                    for x in range(width)] for y in range(height)])


def check_unpacked_files(checks, root, version):
    pictures = {}
    for icon, size in zip(ICONS, ICON_SIZES):
        picture = read_png(os.path.join(root, icon))
        got = (picture.width, picture.height) if picture else None
        checks.check(got == (size, size), f"{icon} is a {size} x {size} PNG (got {got})")
        if got == (size, size):
            pictures[size] = picture.reduced(16)
    unlike = {size: round(p.mean_difference(pictures[256]), 2)
              for size, p in pictures.items() if 256 in pictures}
    checks.check(len(unlike) == len(ICON_SIZES) and max(unlike.values()) <= ICON_LIKENESS,
                 f"the icons show one drawing at every size (mean difference from the "
                 f"256 px one at 16 x 16: {unlike})")
    with open(os.path.join(root, DESKTOP)) as f:
        entry = f.read().splitlines()
    checks.check("Exec=mirtal" in entry and "Icon=mirtal" in entry,
                 "the desktop entry starts the launcher and names the icon")
    for package in ("mirtal", "mirtal-data"):
        copyright_file, changelog = doc_files(package)
        check_copyright(checks, os.path.join(root, copyright_file), copyright_file)
        check_changelog(checks, os.path.join(root, changelog), changelog, version)


def tree(root):
    """Every file under root with its size."""
    return sorted((os.path.relpath(os.path.join(folder, name), root),
                   os.path.getsize(os.path.join(folder, name)))
                  for folder, _, names in os.walk(root) for name in names)


def check_unpacked(checks, deb, data_deb):
    root = tempfile.mkdtemp(prefix="mirtal-deb-")
    try:
        run("dpkg-deb", "-x", deb, root)
        run("dpkg-deb", "-x", data_deb, root)
        version = control_fields(deb)["Version"]
        check_unpacked_files(checks, root, version)

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


def check_lintian(checks, debs):
    result = subprocess.run(["lintian", "--display-info", *debs],
                            capture_output=True, text=True, timeout=600)
    print(f"lintian: {result.stdout.strip() or 'no tags'}")
    tags = [re.match(r"([EWIXOP]): (\S+): (\S+)", line) for line in result.stdout.splitlines()]
    tags = [t.groups() for t in tags if t]
    checks.check(result.returncode == 0 and not any(kind in "EW" for kind, _, _ in tags),
                 f"lintian reports no error and no warning (status {result.returncode})")
    others = sorted({f"{package}: {tag}" for kind, package, tag in tags
                     if kind not in "EW" and tag not in ACCEPTED_INFO_TAGS})
    checks.check(not others, f"no informational tag but the accepted ones ({others})")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--deb", required=True, help="mirtal_<version>_amd64.deb")
    parser.add_argument("--data-deb", required=True, help="mirtal-data_<version>_all.deb")
    args = parser.parse_args()
    checks = Checks("deb")
    check_control(checks, args.deb, args.data_deb)
    check_contents(checks, args.deb, args.data_deb)
    check_unpacked(checks, args.deb, args.data_deb)
    check_lintian(checks, [args.deb, args.data_deb])
    checks.finish()


if __name__ == "__main__":
    main()
