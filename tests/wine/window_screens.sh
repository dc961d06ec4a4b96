#!/bin/bash
# The main window's layout test on other screens than the test command's own: 800 by 600 and
# 1024 by 768 pixels at 96 and 144 dpi, each on its own X display, in a copy of the Wine prefix
# whose LogPixels is set. Needs WINEPREFIX, TARN_WIN_BUILD; prints one result line.
set -u -o pipefail
build=$TARN_WIN_BUILD
work=$(mktemp -d)
xvfb=
cleanup() {
  WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# Hard links for the files Wine only reads; the registry files, which it writes in place, are
# copied, so the test command's own prefix keeps its resolution.
copy_prefix() {
  cp -al "$WINEPREFIX" "$work/prefix" || return 1
  local reg
  for reg in "$WINEPREFIX"/*.reg; do
    rm -f "$work/prefix/${reg##*/}" && cp "$reg" "$work/prefix/" || return 1
  done
}
copy_prefix || { echo "window_screens: FAIL, cannot copy the prefix"; exit 1; }
export WINEPREFIX="$work/prefix"

failed=()
for screen in 800x600@96 800x600@144 1024x768@144; do
  size=${screen%@*} dpi=${screen#*@}
  for n in $(seq 140 180); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export DISPLAY=":$n"
  wineserver -k 2>/dev/null
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
    </dev/null >/dev/null 2>&1
  wineserver -w
  wineserver -p
  wine cmd /c exit </dev/null >/dev/null 2>&1
  if ! (cd "$build" && wine ./e2e_tests.exe --exe="Z:$build/tarninfo.exe" \
          --cases="Z:$build" --gtest_filter='WindowLayout.*' </dev/null >"$work/out" 2>&1); then
    failed+=("$screen")
    grep -A4 'Failure' "$work/out" | head -20 >&2
  fi
  wineserver -k 2>/dev/null
  kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; xvfb=
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "window_screens: FAIL at ${failed[*]}"
  exit 1
fi
echo "window_screens: ok, the layout holds at 800x600@96, 800x600@144 and 1024x768@144 dpi"
