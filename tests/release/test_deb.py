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
  copyright file is in Debian's machine-readable format and its Expat
  licence is the text of the project's LICENSE; the changelog's latest
  entry is the package's version;
- both unpacked with dpkg-deb -x into one scratch root, the launcher there,
  run from another (empty) folder, opens the window and finds the scene
  (the 17 bitmap reader lines); ESC ends it with status 0; it writes
  nothing;
- lintian reports no error and no warning on either, and no informational
  tag but those accepted below, each with the reason it stays.

The model importer and the launcher's arguments:
- dpkg-deb -c: mirtal-import in /usr/games (executable) with its manual page
  in section 1; the Windows program alone (mode 0644) under
  /usr/share/mirtal/windows, for mirtal-import --windows-zip;
- the desktop entry passes a file (%f), names the model types and passes
  desktop-file-validate;
- the unpacked launcher: --help and --version answer with status 0; an
  unknown option, a missing file, a folder with no scene, a file that is
  no model and a --time-limit the importer refuses end with status 2 and a
  message; with --desktop (the desktop entry's) the message shows in a
  window too; `mirtal MODEL` (a copy of a
  model of assimp-testmodels, XDG_CACHE_HOME in a scratch folder) imports it
  into the cache and opens the window on it; a second start imports nothing,
  nor does the unpacked mirtal-record filming the same model;
  a model of the same name elsewhere gets a folder of its own; a changed
  model is imported again; `mirtal FOLDER` opens the window on that folder;
- the unpacked mirtal-import --windows-zip puts the package's mirtal.exe in
  the zip;
- dpkg-deb -c: the web runtime (index.html, mirtal.js, mirtal.wasm, mode
  0644) and the importer's page importer.html, which carries the same
  runtime, alone under /usr/share/mirtal/web, for mirtal-import --web; the
  unpacked mirtal-import --web writes one HTML file: the package's page with
  its placeholder filled by a pack (gzip, base64) of the package's
  mirtal.js and mirtal.wasm and the imported scene's 23 files.

The film recorder:
- dpkg-deb: mirtal recommends ffmpeg (and zenity, for the launcher) and
  holds mirtal-record in /usr/games (executable) with its manual page in
  section 1;
- both unpacked, the recorder there films a short flight of the packaged
  scene.

Run under tests/with_xvfb.sh."""

import argparse
import base64
import gzip
import json
import zlib
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from mirtal_e2e import (OTHER_VIEW, SAME_VIEW, Checks, Mirtal, Picture, run,  # noqa: E402
                        share_unlike, wait_for_first_frame)

LICENSE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "LICENSE")
DATA = "usr/share/games/mirtal"
PROGRAM = "usr/libexec/mirtal/mirtal"
LAUNCHER = "usr/games/mirtal"
ICON_SIZES = (16, 32, 48, 64, 128, 256)
ICONS = [f"usr/share/icons/hicolor/{size}x{size}/apps/mirtal.png" for size in ICON_SIZES]
DESKTOP = "usr/share/applications/mirtal.desktop"
FILES = [PROGRAM, LAUNCHER, DESKTOP, "usr/share/man/man6/mirtal.6.gz"] + ICONS

IMPORTER = "usr/games/mirtal-import"
RECORDER = "usr/games/mirtal-record"
WINDOWS = "usr/share/mirtal/windows"
WINDOWS_EXE = f"{WINDOWS}/mirtal.exe"
WEB = "usr/share/mirtal/web"
WEB_FILES = [f"{WEB}/{name}" for name in ("importer.html", "index.html", "mirtal.js", "mirtal.wasm")]
IMPORTER_FILES = re.compile(rb'<script id="importer-files" type="application/json">(.*?)</script>')
WEB_PLACEHOLDER = b'<script id="mirtal-pack" type="application/octet-stream"></script>'
IMPORT_FILES = [IMPORTER, "usr/share/man/man1/mirtal-import.1.gz", WINDOWS_EXE] + WEB_FILES
# Model types the desktop entry offers Mirtal for, as shared-mime-info names them.
MIME_TYPES = ["model/gltf-binary", "model/gltf+json", "model/obj", "image/x-3ds"]
# A model of Debian's assimp-testmodels: one textured box.
MODEL = "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb"
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


def doc_files(package):
    return [f"usr/share/doc/{package}/copyright", f"usr/share/doc/{package}/changelog.gz"]


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
    missing = [f for f in IMPORT_FILES if f not in modes]
    checks.check(not missing, f"the package holds the importer's files (missing: {missing})")
    checks.check(modes.get(IMPORTER) == "-rwxr-xr-x", "mirtal-import is executable")
    checks.check(modes.get(WINDOWS_EXE) == "-rw-r--r--",
                 "the Windows program is a plain file (0644)")
    windows = sorted(f for f, mode in modes.items() if f.startswith(WINDOWS + "/"))
    checks.check(windows == [WINDOWS_EXE], f"beside it nothing ({windows})")
    web = sorted(f for f, mode in modes.items() if f.startswith(WEB + "/"))
    checks.check(web == WEB_FILES and all(modes[f] == "-rw-r--r--" for f in web),
                 f"the web runtime, plain files (0644), and nothing beside it ({web})")
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
    checks.check("Exec=mirtal --desktop %f" in entry and "Icon=mirtal" in entry,
                 "the desktop entry starts the launcher with a file and names the icon")
    mime = next((l.split("=", 1)[1].split(";") for l in entry if l.startswith("MimeType=")), [])
    checks.check(all(t in mime for t in MIME_TYPES),
                 f"the desktop entry offers Mirtal for {', '.join(MIME_TYPES)} (got {mime})")
    valid = subprocess.run(["desktop-file-validate", os.path.join(root, DESKTOP)],
                           capture_output=True, text=True, timeout=60)
    checks.check(valid.returncode == 0 and not valid.stdout.strip(),
                 f"desktop-file-validate finds nothing to say ({valid.stdout.strip()!r})")
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


def launch(launcher, *args, env=None):
    """The launcher run to its end with no display use: (status, out, err)."""
    result = subprocess.run([launcher, *args], capture_output=True, text=True, timeout=60, env=env)
    return result.returncode, result.stdout, result.stderr


def check_launcher_answers(checks, launcher, version, scratch):
    status, out, _ = launch(launcher, "--help")
    checks.check(status == 0 and out.startswith("Usage: mirtal") and "MODEL_FILE" in out,
                 f"mirtal --help shows the usage, status 0 (got {status}: {out[:40]!r})")
    status, out, _ = launch(launcher, "--version")
    checks.check((status, out) == (0, f"mirtal {version}\n"),
                 f"mirtal --version names the version (got {status}: {out!r})")
    empty_folder = os.path.join(scratch, "empty-folder")
    no_model = os.path.join(scratch, "no-model.glb")
    os.mkdir(empty_folder)
    with open(no_model, "w") as f:
        f.write("no model here\n")
    for args, named in ((["--frobnicate"], "--frobnicate"), (["-x"], "-x"),
                        ([os.path.join(scratch, "missing.obj")], "missing.obj"),
                        ([empty_folder], "empty-folder"), (["a.obj", "b.obj"], "2"),
                        ([no_model], "no-model.glb"),
                        (["--time-limit", "0", no_model], "--time-limit"),
                        (["--memory-limit"], "--memory-limit")):
        env = dict(os.environ, XDG_CACHE_HOME=os.path.join(scratch, "refused-cache"))
        status, out, err = launch(launcher, *args, env=env)
        checks.check(status == 2 and named in err and err.count("\n") >= 1,
                     f"mirtal {' '.join(args)}: status 2 and a message naming {named} "
                     f"(got {status}: {err.strip()!r})")
    # Started from the desktop, with no terminal to read, the message shows
    # in a window too: zenity's, titled Mirtal, which Return closes.
    app = Mirtal(launcher, args=["--desktop", no_model], env=env)
    try:
        app.wait_for_window()
        app.key("Return")
        status = app.wait_for_exit(timeout=20)
        _, err = app.output()
        checks.check(status == 2 and f"mirtal-import: {no_model}: not a model" in err,
                     f"mirtal --desktop NOT_A_MODEL: the message in a window, closed by Return, "
                     f"and on standard error, status 2 (got {status}: {err.strip()!r})")
    except RuntimeError as error:
        checks.check(False, f"mirtal --desktop NOT_A_MODEL: a window with the message ({error})")
    finally:
        app.close()
    leftovers = []
    for folder, _, names in os.walk(os.path.join(scratch, "refused-cache")):
        leftovers += [os.path.join(folder, n) for n in names]
    checks.check(not leftovers, f"what the launcher refused leaves nothing in the cache ({leftovers})")


def stamps(folder):
    """Each file's name, inode and modification time: they stay the same
    unless the file is written again."""
    return sorted((name, os.stat(os.path.join(folder, name)).st_ino,
                   os.stat(os.path.join(folder, name)).st_mtime_ns) for name in os.listdir(folder))


def run_launcher_window(checks, launcher, args, env, what):
    """Starts the launcher, waits for its window and first frame, ends it
    with ESC; returns (first picture, standard error) or None."""
    app = Mirtal(launcher, args=args, env=env)
    try:
        try:
            app.wait_for_window(timeout=120)
        except RuntimeError as error:
            checks.check(False, f"{what} opens the window ({error}: {app.output()})")
            return None
        picture = wait_for_first_frame(app)
        app.key("Escape")
        status = app.wait_for_exit()
        out, err = app.output()
        read = [l for l in out.splitlines() if l.startswith("numRows,numCols = ")]
        checks.check(status == 0 and len(read) == SCENE_COUNTS[".bmp"],
                     f"{what} opens the window, reads 17 bitmaps, ESC ends it with status 0 "
                     f"(got {status}, {len(read)} reader lines)")
        return picture, err
    finally:
        app.close()


def check_launcher_models(checks, root, models, scratch):
    launcher = os.path.join(root, LAUNCHER)
    cache = os.path.join(scratch, "cache")
    env = dict(os.environ, XDG_CACHE_HOME=cache, HOME=os.path.join(scratch, "home"))
    copies = []
    for place in ("one", "two"):
        os.makedirs(os.path.join(scratch, place))
        copies.append(os.path.join(scratch, place, os.path.basename(MODEL)))
        shutil.copy(os.path.join(models, MODEL), copies[-1])

    default = run_launcher_window(checks, launcher, [], env, "mirtal alone")
    first = run_launcher_window(checks, launcher, [copies[0]], env, "mirtal MODEL")
    folders = sorted(os.listdir(os.path.join(cache, "mirtal"))) if os.path.isdir(cache) else []
    checks.check(len(folders) == 1 and folders[0].startswith(os.path.basename(MODEL) + "-"),
                 f"mirtal MODEL makes one folder named after the model in the cache ({folders})")
    if not first or not default or len(folders) != 1:
        return
    scene = os.path.join(cache, "mirtal", folders[0])
    checks.check("importing" in first[1], f"the first start imports the model ({first[1]!r})")
    names = set(os.listdir(scene))
    checks.check({"data_textura.geo", "data_terreno.geo"} <= names
                 and sum(n.endswith(".bmp") for n in names) == SCENE_COUNTS[".bmp"],
                 f"the cache folder holds a whole scene ({sorted(names)})")
    unlike = share_unlike(first[0], default[0])
    checks.check(unlike > OTHER_VIEW,
                 f"the window shows the model, not the default house ({unlike:.3f} unlike)")

    before = stamps(scene)
    again = run_launcher_window(checks, launcher, [copies[0]], env, "mirtal MODEL again")
    checks.check(again and "importing" not in again[1] and stamps(scene) == before,
                 "a second start imports nothing and leaves the folder as it was")
    # The recorder films a model from the launcher's own import.
    film = os.path.join(scratch, "model.mp4")
    filmed = subprocess.run([os.path.join(root, RECORDER), "--flight", "--size", "64x48",
                             "--supersample", "1", copies[0], film],
                            capture_output=True, text=True, env=env, timeout=300)
    checks.check(filmed.returncode == 0 and os.path.exists(film) and "importing" not in filmed.stderr
                 and stamps(scene) == before,
                 f"mirtal-record MODEL films the launcher's import, importing nothing "
                 f"(status {filmed.returncode}: {filmed.stderr.strip()[-200:]!r})")

    run_launcher_window(checks, launcher, [copies[1]], env, "mirtal OTHER_MODEL")
    folders = sorted(os.listdir(os.path.join(cache, "mirtal")))
    checks.check(len(folders) == 2 and scene in [os.path.join(cache, "mirtal", f) for f in folders]
                 and stamps(scene) == before,
                 f"a model of the same name elsewhere gets a folder of its own ({folders})")

    changed = os.stat(copies[0]).st_mtime_ns + 5_000_000_000
    os.utime(copies[0], ns=(changed, changed))
    third = run_launcher_window(checks, launcher, [copies[0]], env, "mirtal CHANGED_MODEL")
    checks.check(third and "importing" in third[1] and stamps(scene) != before
                 and len(os.listdir(os.path.join(cache, "mirtal"))) == 2,
                 "a changed model is imported again into its folder")

    shown = run_launcher_window(checks, launcher, [scene], env, "mirtal FOLDER")
    if shown:
        unlike = share_unlike(shown[0], first[0])
        checks.check(unlike <= SAME_VIEW,
                     f"mirtal FOLDER shows that folder's scene ({unlike:.3f} unlike MODEL's)")


def check_windows_zip(checks, root, models, scratch):
    """The packaged importer finds the packaged Windows program."""
    out = os.path.join(scratch, "imported")
    archive = os.path.join(scratch, "house.zip")
    result = subprocess.run([os.path.join(root, IMPORTER), os.path.join(models, MODEL), out,
                             "--windows-zip", archive], capture_output=True, text=True, timeout=300)
    checks.check(result.returncode == 0, f"mirtal-import --windows-zip: status 0 "
                                         f"(got {result.returncode}: {result.stderr.strip()!r})")
    if result.returncode != 0:
        return
    with zipfile.ZipFile(archive) as zipped:
        exe = zipped.read("house/mirtal.exe")
    with open(os.path.join(root, WINDOWS_EXE), "rb") as f:
        checks.check(exe == f.read(), "the zip holds the package's mirtal.exe")


def read_pack(pack):
    """A pack's entries, {name: bytes}, read as its format says: a gzip stream
    of header lines "<byte count> <name>\\n", each followed by its bytes."""
    archive = gzip.decompress(pack)
    entries = {}
    at = 0
    while at < len(archive):
        end = archive.index(b"\n", at)
        size, name = archive[at:end].decode().split(" ", 1)
        entries[name] = archive[end + 1:end + 1 + int(size)]
        at = end + 1 + int(size)
    return entries


def check_web_page(checks, root, models, scratch):
    """The packaged importer finds the packaged web runtime."""
    out = os.path.join(scratch, "imported-web")
    html = os.path.join(scratch, "house.html")
    result = subprocess.run([os.path.join(root, IMPORTER), os.path.join(models, MODEL), out,
                             "--web", html], capture_output=True, text=True, timeout=300)
    checks.check(result.returncode == 0, f"mirtal-import --web: status 0 "
                                         f"(got {result.returncode}: {result.stderr.strip()!r})")
    if result.returncode != 0:
        return
    runtime = {}
    for path in WEB_FILES:
        with open(os.path.join(root, path), "rb") as f:
            runtime[os.path.basename(path)] = f.read()
    with open(html, "rb") as f:
        page = f.read()
    opening, closing = WEB_PLACEHOLDER[:-len(b"</script>")], b"</script>"
    before, _, after = runtime["index.html"].partition(WEB_PLACEHOLDER)
    pack = page[len(before + opening):len(page) - len(closing + after)]
    checks.check(page.startswith(before + opening) and page.endswith(closing + after),
                 "the HTML file is the package's page but for the placeholder's contents")
    entries = read_pack(base64.b64decode(pack, validate=True))
    scene = sorted(name for name in os.listdir(out) if not name.startswith("."))
    checks.check(sorted(entries) == ["mirtal.js", "mirtal.wasm"] + [f"scene/{n}" for n in scene]
                 and entries["mirtal.wasm"] == runtime["mirtal.wasm"]
                 and entries["mirtal.js"] == runtime["mirtal.js"] and len(scene) == 23,
                 f"its pack holds the package's program and the imported scene's 23 files "
                 f"({sorted(entries)[:4]}...)")
    # The importer's page saves the walk-throughs that mirtal-import --web
    # writes: it carries the same runtime.
    found = IMPORTER_FILES.search(runtime["importer.html"])
    carried = json.loads(found.group(1)) if found else {}
    checks.check(all(gzip.decompress(base64.b64decode(carried.get(name, ""))) == runtime[name]
                     for name in ("index.html", "mirtal.js", "mirtal.wasm")),
                 "importer.html carries the package's web runtime")


def check_import(checks, deb, data_deb, models):
    version = re.match(r"mirtal_(.+)_amd64\.deb$", os.path.basename(deb)).group(1)
    root = tempfile.mkdtemp(prefix="mirtal-deb-")
    scratch = tempfile.mkdtemp(prefix="mirtal-launch-")
    try:
        run("dpkg-deb", "-x", deb, root)
        run("dpkg-deb", "-x", data_deb, root)
        check_launcher_answers(checks, os.path.join(root, LAUNCHER), version, scratch)
        check_launcher_models(checks, root, models, scratch)
        check_windows_zip(checks, root, models, scratch)
        check_web_page(checks, root, models, scratch)
    finally:
        shutil.rmtree(root, ignore_errors=True)
        shutil.rmtree(scratch, ignore_errors=True)


def check_recorder(checks, deb, data_deb):
    fields = control_fields(deb)
    recommends = [d.strip().split()[0] for d in fields.get("Recommends", "").split(",") if d.strip()]
    checks.check("ffmpeg" in recommends and "zenity" in recommends,
                 f"mirtal recommends ffmpeg and zenity ({recommends})")
    modes = listing(deb)
    recorder = "usr/games/mirtal-record"
    checks.check(modes.get(recorder) == "-rwxr-xr-x", "mirtal-record is in /usr/games, executable")
    checks.check("usr/share/man/man1/mirtal-record.1.gz" in modes,
                 "mirtal-record's manual page is in section 1")
    root = tempfile.mkdtemp(prefix="mirtal-deb-record-")
    try:
        run("dpkg-deb", "-x", deb, root)
        run("dpkg-deb", "-x", data_deb, root)
        film = os.path.join(root, "flight.gif")
        result = subprocess.run([os.path.join(root, recorder), "--flight", "--size", "64x48",
                                 "--supersample", "1", os.path.join(root, DATA), film],
                                capture_output=True, text=True, timeout=120)
        checks.check(result.returncode == 0 and os.path.exists(film) and os.path.getsize(film) > 0,
                     f"the unpacked recorder films the packaged scene (status {result.returncode}: "
                     f"{result.stderr.strip()[-200:]})")
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
    parser.add_argument("--models", default="/usr/share/assimp/models",
                        help="assimp-testmodels' folder")
    args = parser.parse_args()
    checks = Checks("deb")
    check_control(checks, args.deb, args.data_deb)
    check_contents(checks, args.deb, args.data_deb)
    check_unpacked(checks, args.deb, args.data_deb)
    check_import(checks, args.deb, args.data_deb, args.models)
    check_recorder(checks, args.deb, args.data_deb)
    check_lintian(checks, [args.deb, args.data_deb])
    checks.finish()


if __name__ == "__main__":
    main()
