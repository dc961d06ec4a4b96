# Sourced by the run and test commands: a private Wine prefix and, when asked, a private display.
# Usage: wine_env_start BUILD_DIR [own-display]; wine_env_stop.

wine_env_start() {
  local build_dir=$1 want_display=${2:-}
  export WINEPREFIX="$build_dir/wineprefix"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
  if [ "$want_display" = own-display ] || [ -z "${DISPLAY:-}" ]; then
    local n
    for n in $(seq 90 130); do
      [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
    done
    Xvfb ":$n" -screen 0 "${TARN_SCREEN:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 &
    TARN_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 </dev/null
    # A crashing program ends at once instead of waiting in Wine's debugger.
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
      /t REG_SZ /d '' /f >/dev/null 2>&1 </dev/null
    wineserver -w
  fi
  # Wine's own Windows fonts (Debian's fonts-wine), so dialogs look as on Windows: Tahoma for
  # "MS Shell Dlg", Marlett for the title-bar buttons.
  if [ -d /usr/share/wine/fonts ]; then
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  # A network share for the tests, \\tarn\share, as Wine maps one.
  mkdir -p "$WINEPREFIX/dosdevices/unc/tarn/share"
  # The screen's dots per inch as TARN_DPI asks (96 unless set), read by each program at its start.
  # The server is ended, not waited for: a persistent one left by an earlier run never ends.
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "${TARN_DPI:-96}" /f \
    >/dev/null 2>&1 </dev/null
  wineserver -k 2>/dev/null
  wineserver -w
  # A persistent server, and one throw-away program first: the services Wine starts with the
  # first program inherit its output, and a runner waiting on that output would never finish.
  wineserver -p
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

wine_env_stop() {
  wineserver -k 2>/dev/null || true
  if [ -n "${TARN_XVFB_PID:-}" ]; then
    kill "$TARN_XVFB_PID" 2>/dev/null || true
    wait "$TARN_XVFB_PID" 2>/dev/null || true
    TARN_XVFB_PID=
  fi
}
