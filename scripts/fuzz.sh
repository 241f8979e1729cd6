#!/bin/sh
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehavior-
# Sanitizer) in a build folder of their own, seeds them from the controller
# simulator's output and from settings files, and runs each for the given time.
#   scripts/fuzz.sh [seconds per target]      default 60
set -eu
SECONDS_TO_RUN=${1:-60}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${KX_FUZZ_BUILD:-$ROOT/build-fuzz}
SAN="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
# Without comparison tracing: it cost a third of the receive target's time (the
# per-byte path is full of size compares) and reached no more branches in the same
# time; the words it would discover, titles and messages, are in the seeds already.

cmake -S "$ROOT" -B "$BUILD" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link -fno-sanitize-coverage=trace-cmp -fsanitize-coverage-ignorelist=$ROOT/fuzz/coverage-ignore.txt $SAN" \
    -DCMAKE_EXE_LINKER_FLAGS="$SAN" \
    -DKX_FUZZ=ON -DKX_BENCH=OFF >/dev/null
ninja -C "$BUILD" fuzz_receive fuzz_store fuzz_seeds

cd "$BUILD"
mkdir -p corpus/fuzz_receive corpus/fuzz_store
ASAN_OPTIONS=detect_leaks=0 ./fuzz/fuzz_seeds corpus/fuzz_receive corpus/fuzz_store
status=0
for target in fuzz_receive fuzz_store; do
    echo "=== $target"
    if ! QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
        "./fuzz/$target" -max_total_time="$SECONDS_TO_RUN" -max_len=2048 -print_final_stats=1 \
        "corpus/$target" >"$target.log" 2>&1; then
        tail -n 40 "$target.log"
        status=1
    fi
    grep -E "^#[0-9]+[[:space:]]+DONE|stat::(number_of_executed_units|average_exec_per_sec)" "$target.log" || true
done
exit $status
