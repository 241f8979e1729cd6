#!/usr/bin/env bash
# Installs what is missing, builds KX_Display and runs every test.
#   scripts/test.sh            normal build in build/
#   scripts/test.sh --sanitize build with AddressSanitizer and UBSan in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh

dir=build
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
    dir=build-asan
    flags=(-DCMAKE_BUILD_TYPE=Debug -DKX_SANITIZE=ON)
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi

cmake -S . -B "$dir" -G Ninja "${flags[@]}"
cmake --build "$dir" -j2
cd "$dir"
ctest --output-on-failure -j2
