#!/usr/bin/env bash
# Renders the README's screenshots into docs/: KX_Display on the controller
# simulator under a virtual X server (the configuration menu with its red cursor
# and blue title, the gyro test with the indicator row lit, the settings dialog).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
build=${KX_BUILD_DIR:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2 --target kx_sim kx_screenshots

XDG_CONFIG_HOME=$(mktemp -d)
XDG_RUNTIME_DIR="$XDG_CONFIG_HOME/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
export XDG_CONFIG_HOME XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/tools/kx_screenshots/kx_screenshots" --sim "$build/tools/kx_sim/kx_sim" --out docs
