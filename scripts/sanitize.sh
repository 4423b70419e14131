#!/bin/bash
# Builds the programs and every test with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan (or $QUARNEL_ASAN_BUILD) and runs the whole test suite there. Any sanitizer
# report fails the test that caused it, so a clean run ends with ctest's "100% tests passed".
#   ./scripts/sanitize.sh            configure, build with -j2, run every test
#   ./scripts/sanitize.sh -R editor  extra arguments go to ctest
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QUARNEL_ASAN_BUILD:-$root/build-asan}

"$root/scripts/setup-debian.sh"
cmake -S "$root" -B "$build" -DQUARNEL_SANITIZE=ON -DQUARNEL_BENCH=OFF -DQUARNEL_FUZZ=OFF
cmake --build "$build" -j2

# A report ends the process with an error (leaks included), which fails its test. The
# suppressions file is for leaks of system libraries below Qt only (it says why for each).
asan="detect_leaks=1:halt_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export ASAN_OPTIONS="$asan:check_initialization_order=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
ctest --test-dir "$build" --output-on-failure "$@"
