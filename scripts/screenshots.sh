#!/bin/bash
# Takes docs/images/main-window.png (the main window after a run), docs/images/file-dialog.png
# (the file dialog over it) and docs/images/prompt.png (the question of an info file that asks
# for its install folder) from the x86_64 build, on a private display, inside Wine's own desktop
# so that the windows have their title bars. Usage: scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/win64}" && pwd)
source "$root/scripts/wine-env.sh"
TARN_SCREEN=1024x768x24 wine_env_start "$build" own-display
work=$(mktemp -d)
trap 'wine_env_stop; rm -rf "$work"' EXIT

cp "$build/tarninfo.exe" "$work/"
# The bundled example: its report ends with real ActiveX and object blocks.
cp "$root/examples/script-host.tarninfo" "$work/"
printf 'AppName=Other\r\n' >"$work/other.tarninfo"
printf '%s\r\n' 'AppName=Order Desk' 'InstallFolder=PROMPT' 'File=%InstallFolder%\orderdesk.exe' \
  >"$work/ask.tarninfo"
winpath=$(winepath -w "$work")
(cd "$work" && wine explorer /desktop=tarninfo,1024x768 tarninfo.exe "$winpath\\script-host.tarninfo" \
  </dev/null >/dev/null 2>&1 &)
for _ in $(seq 100); do xdotool search --name '^Tarn Application Information$' >/dev/null 2>&1 && break; sleep 0.2; done
sleep 2
import -window root "$root/docs/images/main-window.png"
xdotool key ctrl+o
for _ in $(seq 50); do xdotool search --name '^Select Program Files Location$' >/dev/null 2>&1 && break; sleep 0.2; done
sleep 1
import -window root "$root/docs/images/file-dialog.png"
xdotool key Escape
sleep 1
xdotool key alt+x
sleep 2
# The question comes before the main window, which shows only once the start-up run has ended.
(cd "$work" && wine explorer /desktop=tarninfo,1024x768 tarninfo.exe "$winpath\\ask.tarninfo" \
  </dev/null >/dev/null 2>&1 &)
for _ in $(seq 100); do xdotool search --name '^Tarn Application Information$' >/dev/null 2>&1 && break; sleep 0.2; done
sleep 2
import -window root "$root/docs/images/prompt.png"
xdotool key Escape
echo "screenshots: docs/images/main-window.png docs/images/file-dialog.png docs/images/prompt.png"
