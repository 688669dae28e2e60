#!/bin/bash
# Builds the libFuzzer targets of the three file readers with clang and runs
# each for a bounded time on its seed corpus (and, for the BMP reader, the
# public BMP suite); quad_model_diff, the quad model reader beside the stream
# reader it replaced, runs on the quad model's seeds with a dictionary of
# number forms. A crash, or a difference between the two quad readers, fails
# the run; its input is left in build-fuzz/artifacts/ to be kept as a
# regression case in tests/fuzz/regressions/<reader>/.
#   tools/run_fuzzers.sh [SECONDS_PER_TARGET]   (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
shared=${MIRTAL_SHARED_DIR:-$(pwd)/../shared}

cmake -S tests/fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build-fuzz -j"$(nproc)"

artifacts=build-fuzz/artifacts
mkdir -p "$artifacts"
status=0
for target in bmp quad_model quad_model_diff terrain; do
    work=$(mktemp -d)
    reader=${target%_diff}
    seeds=(tests/fuzz/corpus/$reader tests/fuzz/regressions/$reader)
    options=()
    [ -f "tests/fuzz/$reader.dict" ] && options+=(-dict="tests/fuzz/$reader.dict")
    max_len=4096
    if [ "$target" = bmp ]; then
        max_len=65536
        for folder in g q b x; do
            [ -d "$shared/testdata/bmpsuite/$folder" ] && seeds+=("$shared/testdata/bmpsuite/$folder")
        done
    fi
    echo "== fuzz_$target for ${seconds}s =="
    # The first folder receives what the fuzzer finds; the seeds are only read.
    if ! build-fuzz/fuzz_$target -max_total_time="$seconds" -max_len="$max_len" \
            -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "${options[@]}" \
            -artifact_prefix="$artifacts/${target}-" "$work" "${seeds[@]}" \
            > "$work.log" 2>&1; then
        echo "fuzz_$target found a failure:"
        tail -40 "$work.log"
        status=1
    else
        grep -E "^stat::number_of_executed_units|^Done" "$work.log" || tail -3 "$work.log"
    fi
    rm -rf "$work" "$work.log"
done
exit $status
