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
# virtual X server for a few seconds instead (KX_RUN_SECONDS, default 5).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(qt6-base-dev qt6-serialport-dev libgl-dev cmake ninja-build g++ fonts-dejavu-core xvfb xauth)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    as_root=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "Please run as root to install: ${missing[*]}" >&2; exit 1; }
        as_root=(sudo)
    fi
    "${as_root[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq "${missing[@]}"
fi

build=${KX_BUILD_DIR:-build}
configure=()
[ -f "$build/CMakeCache.txt" ] || configure=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
cmake -S . -B "$build" -G Ninja "${configure[@]}" >/dev/null
cmake --build "$build" -j2 --target KX_Display kx_sim

# A private settings store: kx_sim writes the Com1 entry there, KX_Display reads it.
XDG_CONFIG_HOME=$(mktemp -d)
export XDG_CONFIG_HOME
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR="$XDG_CONFIG_HOME/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    export XDG_RUNTIME_DIR
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

# Runs KX_Display where there is no screen to show it on.
run_headless() {
    local seconds=${KX_RUN_SECONDS:-5}
    echo "No display found (DISPLAY and WAYLAND_DISPLAY are empty):" \
         "running KX_Display on a virtual X server for $seconds seconds."
    local status=0
    xvfb-run -a -s "-screen 0 1280x1024x24" timeout "$seconds" "$build/KX_Display" || status=$?
    # 124: ended by the timeout, as intended.
    if [ "$status" -ne 0 ] && [ "$status" -ne 124 ]; then
        echo "KX_Display ended with status $status" >&2
        return "$status"
    fi
    echo "KX_Display ran for $seconds seconds."
}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    run_headless
else
    "$build/KX_Display"
fi
