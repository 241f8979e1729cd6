#!/usr/bin/env bash
# Runs KX_Display on the controller simulator kx_sim, so the program can be tried
# without a flight controller:
#   - installs the Debian 12 packages that are missing (as root, or through sudo),
#   - builds KX_Display and kx_sim into build/ (or $KX_BUILD_DIR),
#   - gives the program a settings folder of its own, so your real settings are
#     not touched,
#   - starts kx_sim on a pseudo-terminal stored as port Com1, starts KX_Display,
#     and stops kx_sim when KX_Display ends.
# In KX_Display choose "COM - öffnen", click into the terminal and type any key;
# "h" or "?" makes the simulator list its keys.
#
# Without a display ($DISPLAY and $WAYLAND_DISPLAY empty) KX_Display runs on a
# virtual X server instead, works the simulator's menus and writes screenshots of
# the menu, the gyro test and the settings dialog to screenshots/ (or
# $KX_SCREENSHOT_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh

build=${KX_BUILD_DIR:-build}
configure=()
[ -f "$build/CMakeCache.txt" ] || configure=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
cmake -S . -B "$build" -G Ninja "${configure[@]}" >/dev/null
cmake --build "$build" -j2 --target KX_Display kx_sim kx_screenshots

# A private settings store: kx_sim writes the Com1 entry there, KX_Display reads it.
XDG_CONFIG_HOME=$(mktemp -d)
export XDG_CONFIG_HOME
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR="$XDG_CONFIG_HOME/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    export XDG_RUNTIME_DIR
fi

# Where there is no screen to show the program on, it runs on a virtual X server
# against its own simulator, works the menus and writes screenshots instead.
run_headless() {
    local out=${KX_SCREENSHOT_DIR:-screenshots}
    echo "No display found (DISPLAY and WAYLAND_DISPLAY are empty):" \
         "running KX_Display on a virtual X server and writing screenshots to $out/."
    xvfb-run -a -s "-screen 0 1280x1024x24" \
        "$build/tools/kx_screenshots/kx_screenshots" --sim "$build/tools/kx_sim/kx_sim" --out "$out"
}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
    run_headless
    exit
fi

sim_pid=
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$XDG_CONFIG_HOME"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

"$build/tools/kx_sim/kx_sim" --com 1 >"$XDG_CONFIG_HOME/kx_sim.out" &
sim_pid=$!
device=
for _ in $(seq 100); do
    device=$(head -n 1 "$XDG_CONFIG_HOME/kx_sim.out" 2>/dev/null || true)
    [ -n "$device" ] && break
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$device" ]; then
    echo "kx_sim did not start" >&2
    exit 1
fi
echo "Controller simulator on $device, stored as Com1 in $XDG_CONFIG_HOME."

"$build/KX_Display"
