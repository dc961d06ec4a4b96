#!/bin/bash
# The main window's layout test on other screens than the test command's own: 800 by 600 and
# 1024 by 768 pixels at 96 and 144 dpi, each on a display of its own, in a copy of the Wine
# prefix with its own LogPixels. Needs WINEPREFIX and TARN_WIN_BUILD; prints one result line.
set -u -o pipefail
build=$TARN_WIN_BUILD
source "$(dirname "$0")/../../scripts/wine-env.sh"
work=$(mktemp -d)
trap 'wine_env_stop; rm -rf "$work"' EXIT
# Hard links for the files Wine only reads; the registry files, which it writes, are copied.
cp -al "$WINEPREFIX" "$work/wineprefix" && for reg in "$WINEPREFIX"/*.reg; do
  rm -f "$work/wineprefix/${reg##*/}" && cp "$reg" "$work/wineprefix/"
done || { echo "window_screens: FAIL, cannot copy the prefix"; exit 1; }
failed=()
for screen in 800x600@96 800x600@144 1024x768@144; do
  TARN_SCREEN="${screen%@*}x24" wine_env_start "$work" own-display
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "${screen#*@}" /f \
    </dev/null >/dev/null 2>&1
  wineserver -k; wineserver -w; wineserver -p; wine cmd /c exit </dev/null >/dev/null 2>&1
  (cd "$build" && wine ./e2e_tests.exe --exe="Z:$build/tarninfo.exe" \
     --gtest_filter='WindowLayout.*' </dev/null >"$work/out" 2>&1) ||
    { failed+=("$screen"); grep -A4 'Failure' "$work/out" | head -20 >&2; }
  wine_env_stop
done
[ ${#failed[@]} -eq 0 ] || { echo "window_screens: FAIL at ${failed[*]}"; exit 1; }
echo "window_screens: ok, the layout holds at 800x600@96, 800x600@144 and 1024x768@144 dpi"
