#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing KX_Display need,
# asking apt only when something is missing. Run as root (or with sudo available).
set -euo pipefail

packages=(qt6-base-dev qt6-serialport-dev qt6-svg-dev qt6-translations-l10n libgl-dev cmake ninja-build g++ clang
          fonts-dejavu-core xvfb xauth dpkg-dev file)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
