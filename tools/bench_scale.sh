#!/bin/bash
# bench_scale: how start-up, frame time and memory grow with the scene.
# Builds bench_frames, writes copies of the default scene with 10 and 100
# times its quads and terrain patches (tools/scale_scene.py) into a temporary
# folder, runs bench_frames on each under a private Xvfb (Mesa's llvmpipe) and
# prints the machine and two Markdown tables. Each figure is the median of
# RUNS runs; the scenes take turns, so a burst of other load on the machine
# spreads over all of them. Beside the wall-clock time of a frame stands the
# processor time the process spent on it (all threads), which other load on
# the machine disturbs less.
#   tools/bench_scale.sh [SCENE_DIR]
# SCENE_DIR defaults to data/ when it holds the scene files, else to the
# output of make_data. Environment: FRAMES (timed frames a run, 50), RUNS (3),
# SCALES ("10 100"), BUILD_DIR (build-bench), KEEP=1 keeps the temporary
# folder with the full output of every run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-bench}
frames=${FRAMES:-50}
runs=${RUNS:-3}
scales=${SCALES:-"10 100"}

cmake -S . -B "$build" -DMIRTAL_WERROR=ON > /dev/null
cmake --build "$build" -j"$(nproc)" --target bench_frames bench_textures make_data > /dev/null

work=$(mktemp -d /tmp/mirtal-bench-scale-XXXXXX)
if [ "${KEEP:-0}" = 1 ]; then
    echo "runs kept in $work"
else
    trap 'rm -rf "$work"' EXIT
fi

scene=${1:-}
if [ -z "$scene" ]; then
    if [ -s data/data_textura.geo ] && [ -s data/data_terreno.geo ]; then
        scene=data
    else
        "$build/tools/make_data" "$work/default" > /dev/null
        scene=$work/default
    fi
fi
scene=$(cd "$scene" && pwd)
origin=$scene
if [ "$scene" = "$(pwd)/data" ]; then
    origin="$scene (last commit of data/: $(git log -1 --format='%h %cs' -- data))"
    if [ -n "$(git status --porcelain -- data)" ]; then
        origin="$origin, with changes not committed"
    fi
fi

# A copy taken now, so that every run reads the same files even if the
# scene's folder changes meanwhile.
mkdir "$work/1x"
cp "$scene"/*.bmp "$scene"/*.raw "$scene"/*.geo "$work/1x/"

names=(1x)
dirs=("$work/1x")
for k in $scales; do
    python3 tools/scale_scene.py "$work/1x" "$work/${k}x" "$k" | sed "s|^$work/||" \
        >> "$work/scaling.txt"
    names+=("${k}x")
    dirs+=("$work/${k}x")
done

for ((run = 1; run <= runs; ++run)); do
    for i in "${!names[@]}"; do
        tests/with_xvfb.sh "$build/tools/bench_frames" "${dirs[$i]}" "$frames" \
            > "$work/${names[$i]}.run$run.txt" 2>&1
    done
done
tests/with_xvfb.sh "$build/tools/bench_textures" "$work/1x" > "$work/textures.txt" 2>&1

cpu=$(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')
echo "machine: $(nproc) processors, $cpu, Mesa $(dpkg-query -W -f='${Version}' libgl1-mesa-dri \
    2>/dev/null || echo '(version unknown)')"
echo "renderer: $(grep -m1 '^window' "$work/1x.run1.txt" | sed 's/.*renderer //')"
echo "scene: $origin"
echo "$frames timed frames a run, median of $runs runs"
cat "$work/scaling.txt"
echo
python3 - "$work" "$runs" "${names[@]}" <<'EOF'
import statistics
import sys

work, runs, names = sys.argv[1], int(sys.argv[2]), sys.argv[3:]

def summary(path):
    for line in open(path, encoding="latin-1"):
        if line.startswith("summary:"):
            return {k: float(v) for k, v in (f.split("=") for f in line.split()[1:])}
    sys.exit(f"no summary line in {path}")

figures = {}
for name in names:
    each = [summary(f"{work}/{name}.run{r}.txt") for r in range(1, runs + 1)]
    figures[name] = {k: statistics.median(s[k] for s in each) for k in each[0]}

def table(header, rows):
    print("| " + " | ".join(header) + " |")
    print("|" + "|".join("---" if i == 0 else "---:" for i in range(len(header))) + "|")
    for row in rows:
        print("| " + " | ".join(row) + " |")
    print()

table(["scene", "quads", "patches", "start-up ms (initScene + 1st frame)",
       "ms a frame (processor ms)",
       "empty frame ms", "frame / empty", "VmRSS MiB", "VmHWM MiB",
       "VmRSS after the frames MiB", "heap MiB (textures, lists)"],
      [[name, f"{f['quads']:.0f}", f"{f['patches']:.0f}",
        f"{f['startup_ms']:.0f} ({f['init_scene_ms']:.0f} + {f['first_frame_ms']:.0f})",
        f"{f['frame_ms']:.1f} ({f['frame_cpu_ms']:.1f})", f"{f['empty_ms']:.2f}",
        f"{f['ratio']:.0f}",
        f"{f['rss_mib']:.0f}", f"{f['hwm_mib']:.0f}", f"{f['rss_after_frames_mib']:.0f}",
        f"{f['heap_mib']:.0f} ({f['texture_mib']:.1f}, "
        f"{f['quad_list_mib'] + f['terrain_list_mib']:.1f})"]
       for name, f in figures.items()])

table(["scene", "frame ms", "quad list alone ms", "terrain list alone ms", "sky list alone ms",
       "empty frame ms"],
      [[name, f"{f['frame_ms']:.1f}", f"{f['quad_frame_ms']:.1f}",
        f"{f['terrain_frame_ms']:.1f}", f"{f['sky_frame_ms']:.1f}", f"{f['empty_ms']:.2f}"]
       for name, f in figures.items()])

def per(value_mib, count):
    return f"{value_mib * 1048576 / count:.0f}" if count else "-"

def step(f, key):
    return f"{f[key + '_ms']:.1f} ({f[key + '_cpu_ms']:.1f})"

table(["scene", "read quads ms (processor ms)", "read patches ms (processor ms)",
       "loadQuadModel ms (processor ms)", "loadTerrainPatches ms (processor ms)",
       "quad list MiB", "bytes a quad", "terrain list MiB", "bytes a patch"],
      [[name, step(f, "read_quads"), step(f, "read_patches"), step(f, "load_quads"),
        step(f, "load_patches"), f"{f['quad_list_mib']:.2f}", per(f['quad_list_mib'], f['quads']),
        f"{f['terrain_list_mib']:.2f}", per(f['terrain_list_mib'], f['patches'])]
       for name, f in figures.items()])
EOF
echo "bench_textures on the scene's 17 bitmaps:"
grep -v '^numRows' "$work/textures.txt"
