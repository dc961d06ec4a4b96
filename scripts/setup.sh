#!/bin/bash
# Installs what the build, the run and the tests need, from Debian's packages, when missing.
# (osslsigncode, which signs the fixtures, comes from bookworm-backports.)
set -euo pipefail

packages=(
  cmake g++ make python3 googletest libgtest-dev clang libclang-rt-14-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 wine64-tools fonts-wine xvfb xauth x11-utils xdotool imagemagick
  nlohmann-json3-dev python3-jsonschema openssl osslsigncode
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
