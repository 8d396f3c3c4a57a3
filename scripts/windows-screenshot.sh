#!/usr/bin/env bash
# Renders the Windows dialog program's main window under Xvfb and wine (after
# scripts/windows-build.sh) into docs/main-dialog-windows.png. Needs xvfb and imagemagick.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'pkill -f "$work" >/dev/null 2>&1 || true; kill "${xvfb:-0}" >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
cp build-win/app/win32/qiva_import.exe "$work/"
printf 'driver=sqlite\r\ndatabase=clinic.db\r\n' > "$work/QIVA_IMPORT.INI"
Xvfb :97 -screen 0 800x700x24 >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=:97 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# wine's own desktop window draws the title bar that a window manager would.
(cd "$work" && wine explorer /desktop=qiva,520x560 "$work/qiva_import.exe" >/dev/null 2>&1 &)
sleep 8
import -window root "$work/screen.png"
convert "$work/screen.png" -crop 412x470+54+44 +repage docs/main-dialog-windows.png
wineserver -k >/dev/null 2>&1 || true
echo "wrote docs/main-dialog-windows.png"
