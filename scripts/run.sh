#!/bin/bash
# The main job: builds tarninfo.exe and runs it under Wine on an info file (by default the
# bundled example), then prints the report from its log file. With a display the window stays
# open until you close it; without one the tool runs on a private virtual screen, a screenshot of
# its window is saved, and it is closed once its report is written.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
info=${1:-$root/examples/script-host.tarninfo}
info=$(cd "$(dirname "$info")" && pwd)/$(basename "$info")

"$root/scripts/setup.sh"
"$root/scripts/build.sh" win64 >/dev/null
"$root/scripts/build.sh" win32 >/dev/null
echo "built: build/win64/tarninfo.exe and the 32-bit build/win32/tarninfo.exe"

run=$root/build/run
mkdir -p "$run"
cp "$root/build/win64/tarninfo.exe" "$run/"
log="$run/Tarn Application Information.log"
rm -f "$log"
windows_path="Z:$(echo "$info" | tr / '\\')"

source "$root/scripts/wine-env.sh"
had_display=${DISPLAY:-}
trap wine_env_stop EXIT
wine_env_start "$root/build/win64"
if [ -n "$had_display" ]; then
  wine "$run/tarninfo.exe" "$windows_path" || true
else
  wine "$run/tarninfo.exe" "$windows_path" >/dev/null 2>&1 &
  for _ in $(seq 600); do
    [ -s "$log" ] && break
    sleep 0.1
  done
  sleep 1
  if command -v import >/dev/null; then
    import -window root "$run/screenshot.png" 2>/dev/null && echo "screenshot: $run/screenshot.png"
  fi
fi

if [ -f "$log" ]; then
  echo "report ($log):"
  tr -d '\r' <"$log"
else
  echo "no report was written; see $run/screenshot.png for what the tool is showing" >&2
  exit 1
fi
