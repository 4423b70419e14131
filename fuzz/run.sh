#!/bin/bash
# Builds one libFuzzer target and runs it for a while: fuzz/run.sh NAME SECONDS [RUNS]
# e.g. fuzz/run.sh fuzz_mount 180, or fuzz/run.sh fuzz_mount 3600 1000000 to stop after a
# million executions (or the time, whichever comes first). Needs clang and libclang-rt-14-dev.
# FUZZ_JOBS=2 runs two worker processes in libFuzzer's fork mode; RUNS then counts the
# executions of both.
set -euo pipefail
if [ $# -lt 2 ] || [ $# -gt 3 ]; then
    echo "usage: $0 NAME SECONDS [RUNS]   (NAME: fuzz_mount, ...)" >&2
    exit 2
fi
name=$1
seconds=$2
runs=${3:--1}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUARNEL_FUZZ_BUILD:-$root/build-fuzz}

if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DQUARNEL_FUZZ=ON -DQUARNEL_TESTS=OFF -DQUARNEL_BENCH=OFF \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j2 --target "$name"

# The seeds stay as they are; what the fuzzer learns goes into the build folder, and a
# crashing input is written there too (crash-..., leak-..., timeout-...).
seeds=$root/fuzz/corpus/${name#fuzz_}
work=$build/fuzz/corpus-$name
artifacts=$build/fuzz/artifacts-$name
mkdir -p "$work" "$artifacts"
corpora=("$work")
[ -d "$seeds" ] && corpora+=("$seeds")

# Leaks of the system libraries below Qt that live until the process ends (see lsan.supp).
export LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
jobs=()
[ "${FUZZ_JOBS:-1}" -gt 1 ] && jobs=(-fork="$FUZZ_JOBS")
cd "$build/fuzz"
exec "./$name" "${jobs[@]}" -max_total_time="$seconds" -runs="$runs" -max_len=8192 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "${corpora[@]}"
