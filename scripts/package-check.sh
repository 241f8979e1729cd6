#!/usr/bin/env bash
# Builds the .deb, installs it with apt like a user would, checks the desktop
# files, and starts the installed program headless to see that it comes up.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
for tool in desktop-file-validate:desktop-file-utils appstreamcli:appstream; do
    command -v "${tool%%:*}" >/dev/null || DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" \
        apt-get install -y -qq --no-install-recommends "${tool##*:}"
done

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2
(cd build && cpack -G DEB)
deb=$(ls -t build/kx-display_*.deb | head -n 1)
echo "Package: $deb"
dpkg-deb --info "$deb" | sed -n '/Depends/p'

desktop-file-validate packaging/org.kxdisplay.KX_Display.desktop
# Fails on an error or a warning; pedantic notes only print.
appstreamcli validate --no-net --explain packaging/org.kxdisplay.KX_Display.metainfo.xml

DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "./$deb"
for f in /usr/bin/KX_Display \
         /usr/share/applications/org.kxdisplay.KX_Display.desktop \
         /usr/share/metainfo/org.kxdisplay.KX_Display.metainfo.xml \
         /usr/share/icons/hicolor/scalable/apps/org.kxdisplay.KX_Display.svg \
         /usr/share/icons/hicolor/48x48/apps/org.kxdisplay.KX_Display.png \
         /usr/share/icons/hicolor/256x256/apps/org.kxdisplay.KX_Display.png; do
    [ -e "$f" ] || { echo "missing after install: $f"; exit 1; }
done

# Start the installed program on a virtual X display of its own with a throw-away
# settings folder; it must still be running after a few seconds. Then exactly the
# two processes started here are ended, by their PIDs: a user may have another
# KX_Display open on a real controller.
export XDG_CONFIG_HOME XDG_RUNTIME_DIR
XDG_CONFIG_HOME=$(mktemp -d)
XDG_RUNTIME_DIR=$(mktemp -d)
chmod 700 "$XDG_RUNTIME_DIR"
exec 3< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null)
xvfb=$!
read -r -t 10 display <&3
DISPLAY=":$display" /usr/bin/KX_Display &
program=$!
sleep 4
status=0
if ! kill -0 "$program" 2>/dev/null; then
    echo "the installed KX_Display did not stay up"
    status=1
fi
kill -TERM "$program" "$xvfb" 2>/dev/null || true
wait "$program" 2>/dev/null || true
[ $status -eq 0 ] && echo "Installed package starts: OK"
exit $status
