#!/bin/sh
# Builds the receive-loop fuzzer with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) in its own build folder and runs it.
#   scripts/fuzz.sh [seconds]      default 60
set -eu
SECONDS_TO_RUN=${1:-60}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${KX_FUZZ_BUILD:-$ROOT/build-fuzz}
SAN="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"

cmake -S "$ROOT" -B "$BUILD" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link $SAN" \
    -DCMAKE_EXE_LINKER_FLAGS="$SAN" \
    -DKX_FUZZ=ON -DKX_BENCH=OFF >/dev/null
ninja -C "$BUILD" fuzz_receive

CORPUS="$BUILD/corpus/fuzz_receive"
mkdir -p "$CORPUS"
# Seeds: a menu with cursor and title, the diagnosis page, the stick-centring message.
printf '\361\055KONFIGURATIONSMENUE \r\n> AKKU\r\nx=>1\r\n\f\b\b\b' > "$CORPUS/seed-menu"
printf '\361\077KONFIGURATIONSMENUE > DIAGNOSE\r\n> Roll\r\n     *\r\n' > "$CORPUS/seed-diag"
printf '\361\051Erkenne Mittelpositionen der Hebel...  \r\n\363\077aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa' > "$CORPUS/seed-stick"

cd "$BUILD"
QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
    ./fuzz/fuzz_receive -max_total_time="$SECONDS_TO_RUN" -max_len=4096 -print_final_stats=1 "$CORPUS"
