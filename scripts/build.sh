#!/bin/bash
# Builds one flavour: native (core + unit tests under the sanitizers), win64 (tarninfo.exe,
# tarninfoc.exe and the tests that run under Wine) or win32 (the 32-bit release tarninfo.exe and
# tarninfoc.exe).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
flavour=$1
jobs=$(nproc 2>/dev/null || echo 2)
case "$flavour" in
  native) args=(-DTARN_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug) ;;
  win64) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw.cmake" -DTARN_TRIPLE=x86_64-w64-mingw32
               -DCMAKE_BUILD_TYPE=Release) ;;
  win32) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw.cmake" -DTARN_TRIPLE=i686-w64-mingw32
               -DCMAKE_BUILD_TYPE=Release -DTARN_TESTS=OFF) ;;
  *) echo "usage: build.sh native|win64|win32" >&2; exit 2 ;;
esac
cmake -S "$root" -B "$root/build/$flavour" "${args[@]}" >/dev/null
cmake --build "$root/build/$flavour" -j "$jobs"
