#!/bin/bash
# bench_open: how long Mirtal takes to open a model, and how much memory,
# beside Debian's f3d viewer on the same models. For each model it runs the
# program in the model's cached scene folder (mirtal-import --cache MODEL
# makes it once) and f3d on the model file, taking turns under one Xvfb, and
# prints a Markdown table: the whole process's time from exec to its first
# swapped frame, and its peak resident memory then (VmHWM), median and range
# of RUNS runs each. Both are measured the same way, by the LD_PRELOAD
# library first_swap (tools/first_swap.cpp), which ends the process at its
# first glXSwapBuffers. Both draw into a 640 x 480 window (f3d's
# --resolution; --dry-run keeps any f3d configuration out).
#   tools/bench_open.sh
# The models: BoxTextured (glTF), the duck (COLLADA), the FZK-Haus (IFC),
# 2CylinderEngine (glTF binary) from Debian's assimp-testmodels, and a grid
# of 1,000,000 triangles that the script writes as OBJ. f3d 1.3.1 reads no
# IFC: it opens the FZK-Haus as an OBJ exported from the IFC by `assimp
# export`, Mirtal the IFC itself. The grid, that OBJ and the cache of
# imported models (XDG_CACHE_HOME) stay in SCRATCH between runs, so the
# first run of the script imports, and later ones find the cache.
# Environment: RUNS (5), SCRATCH (/tmp/mirtal-bench-open), BUILD_DIR
# (build-bench), MIRTAL (the program to measure, to compare another build of
# it; default BUILD_DIR's), MODELS (/usr/share/assimp/models), KEEP=1 keeps the
# temporary folder with every run's output, PICTURES=1 also writes each
# program's first frame there as a PPM (which costs time: not for timing).
# Needs the packages f3d, assimp-utils and assimp-testmodels.
set -euo pipefail
cd "$(dirname "$0")/.."
export LC_ALL=C

if [ "${1:-}" = --measure ]; then
    # Under the Xvfb: each round runs every model once in each program,
    # Mirtal first, then f3d.
    work=$2
    shim=$3
    mirtal=$4
    runs=$5
    # The clock starts as the subshell execs (timeout, which starts the
    # program at once).
    measure() {
        local report=$1
        shift
        if [ "${PICTURES:-0}" = 1 ]; then
            export FIRST_SWAP_PICTURE=$report.ppm
        fi
        FIRST_SWAP_REPORT=$report LD_PRELOAD=$shim FIRST_SWAP_START=$EPOCHREALTIME \
            exec timeout 600 "$@"
    }
    for ((run = 1; run <= runs; ++run)); do
        while IFS=$'\t' read -r name folder viewed; do
            (cd "$folder" && measure "$work/$name.mirtal" "$mirtal") >> "$work/$name.mirtal.log" 2>&1 ||
                echo "run $run: status $?" >> "$work/$name.mirtal.log"
            (measure "$work/$name.f3d" f3d --dry-run --resolution=640,480 "$viewed") \
                >> "$work/$name.f3d.log" 2>&1 || echo "run $run: status $?" >> "$work/$name.f3d.log"
        done < "$work/models.tsv"
    done
    exit 0
fi

build=${BUILD_DIR:-build-bench}
runs=${RUNS:-5}
scratch=${SCRATCH:-/tmp/mirtal-bench-open}
models=${MODELS:-/usr/share/assimp/models}

for command in f3d assimp; do
    if ! command -v "$command" > /dev/null; then
        echo "bench_open: needs $command (apt-get install f3d assimp-utils assimp-testmodels)" >&2
        exit 2
    fi
done
if [ ! -d "$models/glTF2" ]; then
    echo "bench_open: no models in $models (apt-get install assimp-testmodels)" >&2
    exit 2
fi

cmake -S . -B "$build" -DMIRTAL_WERROR=ON > /dev/null
cmake --build "$build" -j"$(nproc)" --target mirtal mirtal-import first_swap > /dev/null
shim=$(pwd)/$build/tools/libfirst_swap.so
mirtal=${MIRTAL:-$(pwd)/$build/mirtal}
importer=$(pwd)/$build/tools/import/mirtal-import

work=$(mktemp -d /tmp/mirtal-bench-open-XXXXXX)
if [ "${KEEP:-0}" = 1 ]; then
    echo "runs kept in $work"
else
    trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$scratch"

# The grid: 1000 x 500 cells of two triangles, gently waved so that its
# triangles are not all in one plane, y up, faces up. The same bytes every
# time, so that its cached import stays valid.
grid=$scratch/grid_1m.obj
if [ ! -s "$grid" ]; then
    python3 - "$grid.part" <<'EOF'
import math
import sys

columns, rows = 1000, 500
with open(sys.argv[1], "w") as out:
    out.write("# a grid of %d x %d cells, %d triangles\n" % (columns, rows, 2 * columns * rows))
    for j in range(rows + 1):
        out.write("".join("v %d %.3f %d\n" % (i, 8 * math.sin(i / 40.0) * math.cos(j / 30.0), j)
                          for i in range(columns + 1)))
    for j in range(rows):
        faces = []
        for i in range(columns):
            a = j * (columns + 1) + i + 1  # (i, j); then (i + 1, j), (i + 1, j + 1), (i, j + 1)
            b, c, d = a + 1, a + columns + 2, a + columns + 1
            faces.append("f %d %d %d\nf %d %d %d\n" % (a, d, c, a, c, b))
        out.write("".join(faces))
EOF
    mv "$grid.part" "$grid"
fi
haus_obj=$scratch/AC14-FZK-Haus.obj
if [ ! -s "$haus_obj" ]; then
    assimp export "$models/IFC/AC14-FZK-Haus.ifc" "$haus_obj" > "$work/export.log" 2>&1 ||
        { cat "$work/export.log" >&2; exit 1; }
fi

# name, Mirtal's model, f3d's file
names=(BoxTextured duck FZK-Haus 2CylinderEngine grid-1M)
mirtal_models=("$models/glTF2/BoxTextured-glTF/BoxTextured.gltf" "$models/Collada/duck.dae"
               "$models/IFC/AC14-FZK-Haus.ifc"
               "$models/glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb" "$grid")
f3d_files=("${mirtal_models[0]}" "${mirtal_models[1]}" "$haus_obj" "${mirtal_models[3]}" "$grid")
: > "$work/models.tsv"
: > "$work/facts.tsv"
for i in "${!names[@]}"; do
    name=${names[$i]}
    echo "importing $name (once; later runs find it in the cache)" >&2
    folder=$(XDG_CACHE_HOME=$scratch/cache "$importer" --cache "${mirtal_models[$i]}" \
             2> "$work/$name.import.log") || { cat "$work/$name.import.log" >&2; exit 1; }
    # The faces that the importer reads, every instance of a mesh counted;
    # kept for the runs that find the model in the cache and import nothing.
    faces=$(sed -n 's/^ *faces in: \([0-9]*\).*/\1/p' "$work/$name.import.log")
    if [ -n "$faces" ]; then
        echo "$faces" > "$scratch/$name.faces"
    else
        faces=$(cat "$scratch/$name.faces" 2>/dev/null || echo "?")
    fi
    quads=$(head -c 100 "$folder/data_textura.geo" | awk '{print $1; exit}')
    printf '%s\t%s\t%s\n' "$name" "$folder" "${f3d_files[$i]}" >> "$work/models.tsv"
    printf '%s\t%s\t%s\n' "$name" "$faces" "$quads" >> "$work/facts.tsv"
done

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
tests/with_xvfb.sh "$0" --measure "$work" "$shim" "$mirtal" "$runs"
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

cpu=$(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
echo "machine: $(nproc) processors, $cpu, Mesa $(dpkg-query -W -f='${Version}' libgl1-mesa-dri \
    2>/dev/null || echo '(version unknown)'), $(f3d --version 2>&1 | head -1)"
echo "load average (1, 5, 15 min): $load_before before, $load_after after"
if [ -n "${MIRTAL:-}" ]; then
    echo "Mirtal: $mirtal; $runs runs each, taking turns"
else
    echo "Mirtal: $(git log -1 --format='%h %cs'), $build; $runs runs each, taking turns"
fi
echo
python3 - "$work" "$runs" <<'EOF'
import statistics
import sys

work, runs = sys.argv[1], int(sys.argv[2])

def figures(path):
    """Each run's (ms, peak KiB) from the lines first_swap appended."""
    try:
        lines = open(path).read().split("\n")
    except FileNotFoundError:
        return []
    runs = []
    for line in lines:
        if line.startswith("first_swap_ms="):
            fields = dict(f.split("=") for f in line.split())
            runs.append((float(fields["first_swap_ms"]), int(fields["peak_rss_kib"])))
    return runs

def spread(values, scale=1.0, digits=0):
    values = [v * scale for v in values]
    return f"{statistics.median(values):.{digits}f} ({min(values):.{digits}f}-{max(values):.{digits}f})"

print("| model | faces | Mirtal quads | Mirtal ms | f3d ms | Mirtal / f3d | time goal |"
      " Mirtal MiB | f3d MiB | Mirtal / f3d | memory goal |")
print("|---|---:|---:|---:|---:|---:|---|---:|---:|---:|---|")
notes = []
for line in open(f"{work}/facts.tsv"):
    name, faces, quads = line.rstrip("\n").split("\t")
    mirtal, f3d = figures(f"{work}/{name}.mirtal"), figures(f"{work}/{name}.f3d")
    for program, measured in (("Mirtal", mirtal), ("f3d", f3d)):
        if len(measured) < runs:
            notes.append(f"{name}: {program} reached its first swap in {len(measured)} of {runs} runs"
                         f" (see its log)")
    if not mirtal or not f3d:
        print(f"| {name} | {faces} | {quads} | - | - | - | - | - | - | - | - |")
        continue
    m_ms = statistics.median(t for t, _ in mirtal)
    f_ms = statistics.median(t for t, _ in f3d)
    m_kib = statistics.median(k for _, k in mirtal)
    f_kib = statistics.median(k for _, k in f3d)
    # Under 100k faces at most half of f3d's time, above that below it;
    # memory at most two thirds of f3d's.
    limit = 0.5 if faces.isdigit() and int(faces) < 100000 else 1.0
    time_ratio, memory_ratio = m_ms / f_ms, m_kib / f_kib
    time_goal = ("met" if time_ratio <= limit else f"missed by {time_ratio / limit:.2f}x") + \
        f" (<= {limit:g})"
    memory_goal = ("met" if memory_ratio <= 2 / 3 else f"missed by {memory_ratio * 1.5:.2f}x") + \
        " (<= 0.67)"
    print(f"| {name} | {faces} | {quads} | {spread([t for t, _ in mirtal])} |"
          f" {spread([t for t, _ in f3d])} | {time_ratio:.2f} | {time_goal} |"
          f" {spread([k for _, k in mirtal], 1 / 1024)} | {spread([k for _, k in f3d], 1 / 1024)} |"
          f" {memory_ratio:.2f} | {memory_goal} |")
print()
print("Times from exec to the first swapped frame, peak memory (VmHWM) at that moment;"
      " median (range) of the runs.")
for note in notes:
    print(note)
EOF
