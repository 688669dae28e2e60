"""mirtal-import on the command line, case by case from one table: the real
binary on bad input (missing, empty, truncated, malformed, a folder, the files
of assimp's invalid/ set that the library refuses, models with no face left),
on output folders that exist, and on options before or after the names; its
test build (--planted) with a crash, a hang and an allocation past the
memory limit planted in the reading process, and the last through --cache.

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

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from mirtal_e2e import Checks  # noqa: E402

MODELS = "/usr/share/assimp/models"
BOX = f"{MODELS}/glTF2/BoxTextured-glTF-Binary/BoxTextured.glb"
DUCK = f"{MODELS}/Collada/duck.dae"
SCENE_FILES = 17 + 4 + 2
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


def invalid_files_refused():
    """assimp's invalid/ files that the library refuses or that give nothing
    to draw: all of them but malformed2.obj (a cube whose material is not
    defined, which the library reads)."""
    return [p for p in sorted(glob.glob(f"{MODELS}/invalid/*"))
            if os.path.basename(p) not in ("readme.txt", "malformed2.obj")]


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
    finally:
        shutil.rmtree(work, ignore_errors=True)
    checks.finish()


if __name__ == "__main__":
    main()
