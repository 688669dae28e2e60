"""Fuzzes the whole importer: real models of Debian's assimp-testmodels, of
many formats, changed a little (bytes set, cut short, numbers put in, runs
reversed) and given to the real mirtal-import binary. Every run must end
with status 0 and a scene folder, or with status 2, one line on standard
error that names the file, and no folder; never by a signal, and within its
limits (a run that does not end within the time limit and GRACE_SECONDS
more fails too).

A mutation is a list of edits, kept as a recipe: the source model's path
under the models folder, its size and SHA-256, then the edits, one a line:

    splice OFFSET LENGTH HEX    the LENGTH bytes at OFFSET become HEX's bytes
    reverse OFFSET LENGTH       the LENGTH bytes at OFFSET, back to front

Third-party models are never copied into the project: a recipe is applied
to the installed model when it is replayed.

    fuzz_import.py --binary MIRTAL_IMPORT [--runs N] [--seconds S] [--seed S]
                   [--keep DIR]        a bounded run; DIR receives the recipes
                                       of the runs that crashed the library
                                       (caught) or failed
    fuzz_import.py --binary MIRTAL_IMPORT --replay RECIPE_OR_FOLDER...
                                       the kept cases, as ordinary tests

Exit status 1 when a run fails."""

import argparse
import hashlib
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

MODELS = "/usr/share/assimp/models"
# A spread of formats, text and binary, each file whole in itself.
SPREAD = [
    "glTF2/BoxTextured-glTF-Binary/BoxTextured.glb",
    "glTF2/BoxTextured-glTF-Embedded/BoxTextured.gltf",
    "Collada/duck.dae",
    "OBJ/box.obj",
    "OBJ/spider.obj",
    "3DS/fels.3ds",
    "FBX/box.fbx",
    "FBX/huesitos.fbx",
    "PLY/cube.ply",
    "PLY/cube_binary.ply",
    "STL/Spider_binary.stl",
    "STL/Spider_ascii.stl",
    "OFF/Cube.off",
    "AC/SphereWithLight.ac",
    "X/test_cube_binary.x",
    "X/test_cube_text.x",
    "MS3D/twospheres.ms3d",
    "3MF/box.3mf",
    "ASE/RotatingCube.ASE",
    "LWO/LWO2/hierarchy.lwo",
    "MD2/faerie.md2",
    "B3D/WusonBlitz.b3d",
    "IFC/AC14-FZK-Haus.ifc",
]
# Numbers that break readers which trust a file's counts and sizes.
NUMBERS = [b"0", b"-1", b"65535", b"2147483648", b"4294967295", b"99999999999",
           b"1e38", b"-1e308", b"nan", b"inf"]
TIME_LIMIT = 5      # seconds, --time-limit of each run
MEMORY_LIMIT = "2"  # gigabytes, --memory-limit of each run
GRACE_SECONDS = 60  # for the stages after reading


# ---------------------------------------------------------------- recipes

def apply(data, edits):
    for edit in edits:
        if edit[0] == "splice":
            _, offset, length, new = edit
            data = data[:offset] + new + data[offset + length:]
        else:
            _, offset, length = edit
            data = data[:offset] + data[offset:offset + length][::-1] + data[offset + length:]
    return data


def mutate(rng, data):
    """One to three edits, each made on the bytes the ones before it left."""
    edits = []
    for _ in range(rng.randint(1, 3)):
        size = len(data)
        offset = rng.randrange(size) if size else 0
        kind = rng.choice(["set", "cut", "number", "number", "reverse"])
        if kind == "set":
            count = rng.choice([1, 1, 2, 4, 8])
            edit = ("splice", offset, count, bytes(rng.randrange(256) for _ in range(count)))
        elif kind == "cut":
            edit = ("splice", offset, size - offset, b"")
        elif kind == "number":
            # In place of the digits at or after the offset, else put in.
            start = offset
            while start < size and not chr(data[start]).isdigit() and start - offset < 64:
                start += 1
            end = start
            while end < size and chr(data[end]).isdigit():
                end += 1
            edit = ("splice", start if end > start else offset, end - start, rng.choice(NUMBERS))
        else:
            edit = ("reverse", offset, rng.choice([2, 4, 16, 64, 512]))
        edits.append(edit)
        data = apply(data, [edit])
    return edits, data


def recipe_text(model, source, edits, outcome):
    lines = [f"# {model}, changed: {outcome}", f"model {model}", f"size {len(source)}",
             f"sha256 {hashlib.sha256(source).hexdigest()}"]
    for edit in edits:
        if edit[0] == "splice":
            lines.append(f"splice {edit[1]} {edit[2]} {edit[3].hex()}")
        else:
            lines.append(f"reverse {edit[1]} {edit[2]}")
    return "\n".join(lines) + "\n"


def read_recipe(path):
    """(model, the installed file's bytes, edits), or raises ValueError naming
    what is wrong."""
    fields, edits = {}, []
    with open(path) as f:
        for line in f:
            words = line.split()
            if not words or words[0].startswith("#"):
                continue
            if words[0] in ("model", "size", "sha256"):
                fields[words[0]] = words[1]
            elif words[0] == "splice":
                edits.append(("splice", int(words[1]), int(words[2]),
                              bytes.fromhex(words[3] if len(words) > 3 else "")))
            elif words[0] == "reverse":
                edits.append(("reverse", int(words[1]), int(words[2])))
            else:
                raise ValueError(f"{path}: unknown line {line.strip()!r}")
    with open(os.path.join(MODELS, fields["model"]), "rb") as f:
        source = f.read()
    if len(source) != int(fields["size"]) or hashlib.sha256(source).hexdigest() != fields["sha256"]:
        raise ValueError(f"{path}: {fields['model']} is not the file the recipe was made from")
    return fields["model"], source, edits


# ------------------------------------------------------------------- runs

def run_one(binary, work, model, data):
    """The outcome in words, and whether it is one the importer may give."""
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    path = os.path.join(work, os.path.basename(model))
    with open(path, "wb") as f:
        f.write(data)
    out = os.path.join(work, "out")
    try:
        result = subprocess.run([binary, "--time-limit", str(TIME_LIMIT), "--memory-limit",
                                 MEMORY_LIMIT, path, out], capture_output=True, text=True,
                                errors="replace", timeout=TIME_LIMIT + GRACE_SECONDS)
    except subprocess.TimeoutExpired:
        return f"no end within {TIME_LIMIT + GRACE_SECONDS} s", False
    lines = result.stderr.splitlines()
    written = os.path.exists(out)
    if result.returncode == 0:
        return "imported", written
    if result.returncode < 0:
        return f"ended by signal {-result.returncode}", False
    if result.returncode != 2:
        return f"status {result.returncode}: {result.stderr.strip()[:300]}", False
    message = lines[-1] if lines else ""
    outcome = "refused"
    for words, meaning in (("crashed reading it", "the library crashed, caught"),
                           ("gave up after", "past the time limit"),
                           ("memory limit", "past the memory limit"),
                           ("was stopped while reading", "the library was stopped")):
        if words in message:
            outcome = meaning
    if outcome.startswith("the library") and message.endswith(")"):
        outcome += " (" + message[message.rindex("(") + 1:]  # the signal in words
    if len(lines) != 1 or not message.startswith(f"mirtal-import: {path}: ") or written:
        return (f"{outcome}, but not in one line naming the file with nothing written "
                f"({'a folder written, ' if written else ''}{result.stderr.strip()[:300]!r})"), False
    return outcome, True


def fuzz(args, work):
    seed = args.seed if args.seed is not None else int(time.time())
    started = time.monotonic()
    counts, failures = {}, 0
    runs = 0
    while runs < args.runs and time.monotonic() - started < args.seconds:
        rng = random.Random(f"{seed}-{runs}")
        model = rng.choice(SPREAD)
        with open(os.path.join(MODELS, model), "rb") as f:
            source = f.read()
        edits, data = mutate(rng, source)
        outcome, sound = run_one(args.binary, work, model, data)
        runs += 1
        counts[outcome if sound else "FAILED"] = counts.get(outcome if sound else "FAILED", 0) + 1
        if sound and outcome in ("imported", "refused"):
            continue
        text = recipe_text(model, source, edits, outcome)
        failures += not sound
        print(f"{'caught' if sound else 'FAILED'}: run {runs - 1} of seed {seed}: {outcome}\n{text}")
        if args.keep and (not sound or "crashed" in outcome):
            os.makedirs(args.keep, exist_ok=True)
            name = f"{model.split('/')[0]}-{hashlib.sha256(text.encode()).hexdigest()[:8]}.recipe"
            with open(os.path.join(args.keep, name), "w") as f:
                f.write(text)
    summary = ", ".join(f"{n} {what}" for what, n in sorted(counts.items(), key=lambda c: -c[1]))
    print(f"fuzz_import: {runs} runs in {time.monotonic() - started:.0f} s (seed {seed}): {summary}")
    return failures


def replay(args, work):
    paths = []
    for given in args.replay:
        paths += sorted(os.path.join(given, n) for n in os.listdir(given)
                        if n.endswith(".recipe")) if os.path.isdir(given) else [given]
    failures = 0
    for path in paths:
        try:
            model, source, edits = read_recipe(path)
            outcome, sound = run_one(args.binary, work, model, apply(source, edits))
        except (OSError, ValueError, KeyError, IndexError) as error:
            outcome, sound = f"cannot replay: {error}", False
        failures += not sound
        print(f"{'ok' if sound else 'FAILED'}: {os.path.basename(path)}: {outcome}")
    print(f"fuzz_import: {len(paths)} kept cases replayed, {failures} failed")
    return failures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--binary", required=True)
    parser.add_argument("--runs", type=int, default=1000000)
    parser.add_argument("--seconds", type=float, default=60)
    parser.add_argument("--seed", type=int)
    parser.add_argument("--keep")
    parser.add_argument("--replay", nargs="+")
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="mirtal-fuzz-import-")
    try:
        failures = replay(args, work) if args.replay else fuzz(args, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
