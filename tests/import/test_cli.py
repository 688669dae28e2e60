"""mirtal-import on the command line, case by case from one table: the real
binary on bad input (missing, empty, truncated, malformed, a folder, the files
of assimp's invalid/ set that the library refuses, models with no face left),
on output folders that exist, on options before or after the names, and
--web (with a copy of the binary in a scratch tree whose build-web/runtime/
holds a small page, so that the page's bytes are known); its test build
(--planted) with a crash, a hang and an allocation past the memory limit
planted in the reading process, and the last through --cache.

Every refusal is one line on standard error that names the file and what is
wrong, exit status 2, and nothing written: no output folder and no temporary
folder beside it. A folder that exists keeps every file that is not one of
the scene's."""

import argparse
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from mirtal_e2e import Checks  # noqa: E402

MODELS = "/usr/share/assimp/models"
BOX = f"{MODELS}/glTF2/BoxTextured-glTF-Binary/BoxTextured.glb"
DUCK = f"{MODELS}/Collada/duck.dae"
SCENE_FILES = 17 + 4 + 2
# The japanese maple of Debian's Sweet Home 3D furniture: 198396 triangles,
# the OBJ in a zip.
MAPLE_CATALOGUE = "/usr/share/sweethome3d/furniture/Scopia.sh3f"
MAPLE = "scopia/japaneseMaple/japaneseMaple.obj"
LAWN_QUADS = 25  # the lawn's grid of 5 x 5 cells, written after the model


def parse_args():
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--planted", required=True, help="the test build, mirtal-import-planted")
    return parser.parse_args()


def prepare(work):
    """The inputs that the tests make: empty, truncated, a folder."""
    open(f"{work}/empty.obj", "wb").close()
    with open(BOX, "rb") as f:
        box = f.read()
    with open(f"{work}/truncated.glb", "wb") as f:
        f.write(box[:len(box) // 2])
    with open(DUCK, "rb") as f:
        duck = f.read()
    with open(f"{work}/truncated.dae", "wb") as f:
        f.write(duck[:len(duck) // 2])
    with open(f"{work}/not-a-model.obj", "w") as f:
        f.write("this is a letter, not a model\n")
    os.mkdir(f"{work}/a-folder.obj")


def quads_written(folder):
    with open(f"{folder}/data_textura.geo") as f:
        return int(f.readline()) - LAWN_QUADS


def check_quads_a_triangle(checks, what, report, most):
    """The report's quad line: its quads are its pairs and single
    triangles, its quads a triangle their share of the triangles drawn
    (2 a pair, 1 a single), at most `most`."""
    line = re.search(r"quads: (\d+) \((\d+) pairs of triangles, (\d+) single triangles: "
                     r"([0-9.]+) quads a triangle, ([0-9.]+)% of the triangles paired", report)
    checks.check(line is not None, f"{what}: the quads' line in the report ({report!r})")
    if not line:
        return
    quads, pairs, singles = (int(line.group(i)) for i in (1, 2, 3))
    per_triangle, paired = float(line.group(4)), float(line.group(5))
    triangles = 2 * pairs + singles
    checks.check(quads == pairs + singles
                 and abs(per_triangle - quads / triangles) <= 0.0005
                 and abs(paired - 100 * 2 * pairs / triangles) <= 0.05,
                 f"{what}: {quads} quads of {pairs} pairs and {singles} singles, "
                 f"{per_triangle} a triangle, {paired}% paired")
    checks.check(per_triangle <= most, f"{what}: {per_triangle} quads a triangle, at most {most}")


def invalid_files_refused():
    """assimp's invalid/ files that the library refuses or that give nothing
    to draw: all of them but malformed2.obj (a cube whose material is not
    defined, which the library reads)."""
    return [p for p in sorted(glob.glob(f"{MODELS}/invalid/*"))
            if os.path.basename(p) not in ("readme.txt", "malformed2.obj")]


WEB_PAGE = ('<!doctype html><title>Mirtal</title>'
            '<script id="mirtal-pack" type="application/octet-stream"></script>\n')


def web_tree(binary, tree, runtime=True):
    """A copy of the importer in tree/bin, with a web runtime beside it in
    tree/build-web/runtime (as tools/build_web.sh leaves one) if runtime."""
    os.makedirs(f"{tree}/bin")
    shutil.copy(binary, f"{tree}/bin/mirtal-import")
    if runtime:
        os.makedirs(f"{tree}/build-web/runtime")
        for name, text in (("index.html", WEB_PAGE), ("mirtal.js", "var Module;\n"),
                           ("mirtal.wasm", "\0asm")):
            with open(f"{tree}/build-web/runtime/{name}", "w") as f:
                f.write(text)
    return f"{tree}/bin/mirtal-import"


def check_web(checks, binary, work):
    """--web FILE.html: the same model gives the same page; an existing file
    without --force, a place that cannot be written and a missing runtime
    are one line, status 2, and nothing written."""
    importer = web_tree(binary, f"{work}/tree")
    out, page = f"{work}/web-out", f"{work}/box.html"
    pages = []
    for html in (page, f"{work}/box-again.html"):
        result = subprocess.run([importer, BOX, out, "--force", "--web", html],
                                capture_output=True, text=True, timeout=120)
        checks.check(result.returncode == 0 and f"web walk-through: {html}" in result.stdout,
                     f"--web: status 0, the page named ({result.returncode}: {result.stderr!r})")
        with open(html, "rb") as f:
            pages.append(f.read())
    opening = WEB_PAGE.encode()[:WEB_PAGE.index("</script>")]
    checks.check(pages[0] == pages[1] and pages[0].startswith(opening + b"H4sI")
                 and pages[0].endswith(b"</script>\n"),
                 "--web: the runtime's page with a pack in its placeholder, the same bytes twice")
    shutil.rmtree(out)

    bare = web_tree(binary, f"{work}/bare", runtime=False)
    with open(page, "rb") as f:
        before = f.read()
    for what, importer_used, arguments, message in [
            ("an existing page without --force", importer, ["--web", page], "exists already"),
            ("a page in a missing folder", importer, ["--web", f"{work}/none/box.html"],
             "no folder"),
            ("no runtime", bare, ["--web", f"{work}/new.html"], "build-web/runtime"),
    ]:
        result = subprocess.run([importer_used, BOX, out] + arguments, capture_output=True,
                                text=True, timeout=120)
        lines = result.stderr.splitlines()
        checks.check(result.returncode == 2 and len(lines) == 1 and message in lines[0]
                     and not os.path.exists(out) and not os.path.exists(f"{work}/new.html"),
                     f"--web, {what}: one line, status 2, nothing written ({lines})")
    with open(page, "rb") as f:
        checks.check(f.read() == before, "--web: the existing page untouched")


def main():
    args = parse_args()
    checks = Checks("mirtal-import command line")
    work = tempfile.mkdtemp(prefix="mirtal-import-cli-")
    try:
        prepare(work)
        out = f"{work}/out"
        # (what, arguments, expected status, text the one error line holds)
        refused = [
            ("missing file", [f"{work}/nothing.glb", out], "no such file"),
            ("empty file", [f"{work}/empty.obj", out], "empty file"),
            ("truncated glTF", [f"{work}/truncated.glb", out], "not a model that can be read"),
            ("truncated COLLADA", [f"{work}/truncated.dae", out], "not a model that can be read"),
            ("text that is not a model", [f"{work}/not-a-model.obj", out], ""),
            ("a folder", [f"{work}/a-folder.obj", out], "is a folder"),
            ("all indices out of range",
             [f"{MODELS}/glTF2/IndexOutOfRange/AllIndicesOutOfRange.gltf", out], ""),
            ("every coordinate infinite",
             [f"{MODELS}/glTF2/BoxWithInfinites-glTF-Binary/BoxWithInfinites.glb", out],
             "not finite"),
        ] + [(f"invalid/{os.path.basename(p)}", [p, out], "") for p in invalid_files_refused()]
        for what, arguments, message in refused:
            result = subprocess.run([args.binary] + arguments, capture_output=True, text=True,
                                    timeout=120)
            lines = result.stderr.splitlines()
            checks.check(result.returncode == 2, f"{what}: status 2 (got {result.returncode})")
            checks.check(len(lines) == 1 and lines[0].startswith(f"mirtal-import: {arguments[0]}: ")
                         and message in lines[0],
                         f"{what}: one line naming the file and saying '{message}': {lines}")
            leftovers = [n for n in os.listdir(work) if n == "out" or n.startswith(".out")]
            checks.check(not leftovers, f"{what}: nothing written ({leftovers})")

        # Faults planted in the reading process: one line that says what
        # happened, status 2, nothing written (nor in the cache).
        cache = os.path.join(work, "planted-cache")
        for fault, arguments, message in [
            ("crash", [BOX, out], "the model library crashed reading it (segmentation fault)"),
            ("hang", ["--time-limit", "1", BOX, out], "gave up after 1 s: raise it with --time-limit"),
            ("allocation", ["--memory-limit", "0.25", BOX, out],
             "gave up at its memory limit of 0.25 GB: raise it with --memory-limit"),
            ("allocation", ["--memory-limit=0.25", "--cache", BOX],
             "gave up at its memory limit of 0.25 GB: raise it with --memory-limit"),
        ]:
            result = subprocess.run([args.planted] + arguments, capture_output=True, text=True,
                                    timeout=60, env=dict(os.environ, MIRTAL_PLANTED_FAULT=fault,
                                                         XDG_CACHE_HOME=cache))
            lines = result.stderr.splitlines()
            what = f"planted {fault}" + (" through --cache" if "--cache" in arguments else "")
            checks.check((result.returncode, lines, result.stdout) ==
                         (2, [f"mirtal-import: {BOX}: {message}"], ""),
                         f"{what}: status 2 and one line saying '{message}' "
                         f"({result.returncode}: {result.stderr!r})")
            checks.check(not os.path.exists(out) and not os.path.exists(cache),
                         f"{what}: nothing written")

        # Faces dropped for a reason, the rest imported.
        result = subprocess.run([args.binary, f"{MODELS}/glTF2/IndexOutOfRange/IndexOutOfRange.gltf",
                                 out], capture_output=True, text=True, timeout=120)
        checks.check(result.returncode == 0 and "indices out of range" in result.stdout,
                     f"some indices out of range: imported, the dropped faces reported "
                     f"({result.returncode}, {result.stdout!r})")
        shutil.rmtree(out, ignore_errors=True)

        # Command lines refused before any work.
        for what, arguments in [
            ("no names", []),
            ("one name", [BOX]),
            ("three names", [BOX, out, out]),
            ("unknown option", [BOX, out, "--fast"]),
            ("--max-quads of no number", [BOX, out, "--max-quads", "many"]),
            ("--max-quads 0", [BOX, out, "--max-quads=0"]),
            ("--max-texture not a power of two", [BOX, out, "--max-texture", "1000"]),
            ("--units unknown", [BOX, out, "--units", "cubits"]),
            ("--cache with another option", ["--cache", "--force", BOX]),
            ("--cache with two names", ["--cache", BOX, out]),
            ("--time-limit not whole", [BOX, out, "--time-limit", "1.5"]),
            ("--memory-limit of 0", [BOX, out, "--memory-limit=0"]),
        ]:
            result = subprocess.run([args.binary] + arguments, capture_output=True, text=True,
                                    timeout=60)
            checks.check(result.returncode == 2 and result.stderr.startswith("mirtal-import: ")
                         and not os.path.exists(out),
                         f"{what}: status 2 with a message ({result.returncode})")
        # --up and --turn with what they do not take: one line, status 2.
        for what, arguments in [
            ("--up without a sign", ["--up", "z"]),
            ("--up of no axis", ["--up=+w"]),
            ("--turn of no number", ["--turn", "left"]),
            ("--turn empty", ["--turn="]),
            ("--turn not finite", ["--turn", "nan"]),
        ]:
            result = subprocess.run([args.binary, BOX, out] + arguments, capture_output=True, text=True,
                                    timeout=60)
            lines = result.stderr.splitlines()
            checks.check(result.returncode == 2 and len(lines) == 1
                         and lines[0].startswith(f"mirtal-import: {arguments[0].split('=')[0]} takes ")
                         and not os.path.exists(out),
                         f"{what}: status 2, one line ({result.returncode}, {lines})")
        result = subprocess.run([args.binary, BOX, out, "--up", "-z", "--turn=-90", "--keep-glass"],
                                capture_output=True, text=True, timeout=120)
        checks.check(result.returncode == 0 and "  stood: its -z axis up (--up), turned -90 degrees "
                     "counter-clockwise seen from above (--turn)\n" in result.stdout,
                     f"--up, --turn and --keep-glass taken and reported ({result.returncode}, "
                     f"{result.stdout!r})")
        shutil.rmtree(out, ignore_errors=True)
        for option in ("--help", "--version"):
            result = subprocess.run([args.binary, option], capture_output=True, text=True,
                                    timeout=60)
            checks.check(result.returncode == 0 and "mirtal-import" in result.stdout,
                         f"{option}: status 0 and an answer")

        # Options after the names, and --max-quads keeping to its number.
        result = subprocess.run([args.binary, DUCK, out, "--max-quads", "500"],
                                capture_output=True, text=True, timeout=120)
        checks.check(result.returncode == 0, f"options after the names: status 0 ({result.stderr!r})")
        checks.check(len(os.listdir(out)) == SCENE_FILES, "the 23 scene files written")
        mask = os.umask(0)
        os.umask(mask)
        checks.check(os.stat(out).st_mode & 0o777 == 0o777 & ~mask,
                     f"the folder has a new folder's permissions ({oct(os.stat(out).st_mode)})")
        checks.check(0 < quads_written(out) <= 500,
                     f"--max-quads 500: {quads_written(out)} model quads")

        # A model too big to walk through comfortably: a warning with its
        # quad count, the frame time and the --max-quads to use, which then
        # holds.
        engine = f"{MODELS}/glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb"
        big = f"{work}/big"
        result = subprocess.run([args.binary, engine, big], capture_output=True, text=True,
                                timeout=300)
        engine_report = result.stdout
        warning = re.search(r"warning: (\d+) quads will take about (\d+) ms a frame .*"
                            r"--max-quads (\d+) keeps it near 25 frames a second", result.stderr)
        checks.check(result.returncode == 0 and warning is not None
                     and int(warning.group(1)) == quads_written(big),
                     f"a big model: warned with its quad count and a --max-quads ({result.stderr!r})")
        if warning:
            shutil.rmtree(big)
            suggested = warning.group(3)
            result = subprocess.run([args.binary, "--max-quads", suggested, engine, big],
                                    capture_output=True, text=True, timeout=300)
            checks.check(result.returncode == 0 and "warning" not in result.stderr
                         and quads_written(big) <= int(suggested),
                         f"--max-quads {suggested}: {quads_written(big)} quads, no warning")
        shutil.rmtree(big, ignore_errors=True)

        # Half the quads: two triangles become one quad wherever their
        # picture allows. The duck and the engine: 0.6 quads a triangle at
        # most. The maple's leaves are folded too much for that (most pairs
        # of its triangles turn 20 degrees or more, or make no convex quad):
        # 0.82 at most (it reaches 0.80).
        check_quads_a_triangle(checks, "the engine", engine_report, 0.6)
        paired = f"{work}/paired"
        result = subprocess.run([args.binary, DUCK, paired], capture_output=True, text=True,
                                timeout=120)
        check_quads_a_triangle(checks, "the duck", result.stdout, 0.6)
        shutil.rmtree(paired, ignore_errors=True)
        with zipfile.ZipFile(MAPLE_CATALOGUE) as catalogue:
            for name in catalogue.namelist():
                if name.startswith(os.path.dirname(MAPLE) + "/"):
                    catalogue.extract(name, f"{work}/maple")
        result = subprocess.run([args.binary, f"{work}/maple/{MAPLE}", paired],
                                capture_output=True, text=True, timeout=300)
        check_quads_a_triangle(checks, "the japanese maple", result.stdout, 0.82)
        shutil.rmtree(paired, ignore_errors=True)

        # An existing folder that is not empty: refused, then --force.
        with open(f"{out}/notes.txt", "w") as f:
            f.write("mine\n")
        before = {n: os.path.getmtime(f"{out}/{n}") for n in os.listdir(out)}
        result = subprocess.run([args.binary, BOX, out], capture_output=True, text=True,
                                timeout=120)
        lines = result.stderr.splitlines()
        checks.check(result.returncode == 2 and len(lines) == 1
                     and lines[0].startswith(f"mirtal-import: {out}: ") and "--force" in lines[0],
                     f"existing folder without --force: refused, naming the folder ({lines})")
        checks.check({n: os.path.getmtime(f"{out}/{n}") for n in os.listdir(out)} == before,
                     "existing folder without --force: untouched")
        result = subprocess.run([args.binary, "--force", BOX, out],
                                capture_output=True, text=True, timeout=120)
        checks.check(result.returncode == 0, f"--force before the names: status 0 ({result.stderr!r})")
        checks.check(quads_written(out) == 6, f"--force: the box's 6 quads replace the duck's")
        with open(f"{out}/notes.txt") as f:
            checks.check(f.read() == "mine\n", "--force: a file that is not the scene's is kept")
        checks.check(sorted(os.listdir(out)) == sorted(list(before)),
                     "--force: no other file added or removed")
        checks.check(not [n for n in os.listdir(work) if n.startswith(".out")],
                     "no temporary folder left beside the output")

        # An empty folder that exists is filled.
        shutil.rmtree(out)
        os.mkdir(out)
        result = subprocess.run([args.binary, BOX, out], capture_output=True, text=True,
                                timeout=120)
        checks.check(result.returncode == 0 and len(os.listdir(out)) == SCENE_FILES,
                     "an empty folder: filled with the scene")

        # --cache: the launcher's import, the scene folder alone on
        # standard output, imported once.
        cache = os.path.join(work, "cache")
        env = dict(os.environ, XDG_CACHE_HOME=cache)
        first = subprocess.run([args.binary, "--cache", BOX], capture_output=True, text=True,
                               env=env, timeout=120)
        folder = first.stdout[:-1]
        checks.check(first.returncode == 0 and first.stdout.count("\n") == 1
                     and os.path.dirname(folder) == os.path.join(cache, "mirtal")
                     and len(os.listdir(folder)) == SCENE_FILES + 1
                     and first.stderr.startswith(f"mirtal: importing {BOX} into {folder}\n")
                     and f"  written: {folder}\n" in first.stderr,
                     f"--cache MODEL: imported, the folder on standard output and in the report "
                     f"({first.returncode}: {first.stdout!r}, {first.stderr[:200]!r})")
        again = subprocess.run([args.binary, "--cache", BOX], capture_output=True, text=True,
                               env=env, timeout=120)
        checks.check((again.returncode, again.stdout, again.stderr) == (0, first.stdout, ""),
                     f"--cache MODEL again: the same folder, nothing imported ({again.stderr!r})")

        check_web(checks, args.binary, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    checks.finish()


if __name__ == "__main__":
    main()
