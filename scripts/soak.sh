#!/usr/bin/env bash
# Soak test (not part of the test suite): builds the soak program and runs the main
# window on the real serial component through many cycles of stream, unplug and
# return on pseudo-terminals behind a link; it fails when the program does not wait
# for the device or does not come back by itself, on any message box, on growing
# open files, on memory that grows after the first hundred cycles, or when waiting
# for a device costs more processor time than idling with the port closed.
#   scripts/soak.sh [cycles]      default 1000
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${KX_BUILD_DIR:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2 --target soak
XDG_RUNTIME_DIR=$(mktemp -d)
chmod 700 "$XDG_RUNTIME_DIR"
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$XDG_RUNTIME_DIR" "$build/bench/soak" "${1:-1000}"
