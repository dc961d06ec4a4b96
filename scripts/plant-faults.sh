#!/bin/bash
# Plants one fault at a time in the code (scripts/planted-faults.txt), rebuilds, and runs the
# suites from the fastest on until one of them fails; prints which caught each fault, or
# "SURVIVED". The tree is restored after each fault. Usage: plant-faults.sh [TREE [FAULTS]],
# FAULTS being scripts/planted-faults.txt unless given. The output of the suite that caught each
# fault is kept in build/planted-faults/NAME.log.
set -u -o pipefail
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
faults=$(realpath "${2:-$(dirname "$0")/planted-faults.txt}")
cd "$root"
source scripts/wine-env.sh
export LC_ALL=C.UTF-8
wine_env_start "$root/build/win64" own-display >/dev/null 2>&1
trap wine_env_stop EXIT
log=$(mktemp)

suites() {  # prints the first suite that fails, or nothing
  scripts/build.sh native >"$log" 2>&1 || { echo "native build"; return; }
  timeout 120 build/native/core_tests >"$log" 2>&1 || { echo "core tests"; return; }
  scripts/fuzz.sh 0 >"$log" 2>&1 || { echo "fuzz seeds"; return; }
  scripts/build.sh win64 >"$log" 2>&1 || { echo "win64 build"; return; }
  # The Windows suites as the test command runs them, with their flags from CMake; gtest takes
  # its flags from the environment too, so each stops at its first failure.
  GTEST_FAIL_FAST=1 ctest --test-dir build/win64 -R '^e2e_tests$' --output-on-failure \
    </dev/null >"$log" 2>&1 || { echo "end-to-end"; return; }
  GTEST_FAIL_FAST=1 ctest --test-dir build/win64 -R '^platform_tests$' --output-on-failure \
    </dev/null >"$log" 2>&1 || { echo "platform"; return; }
  TARN_WIN_BUILD="$root/build/win64" timeout 900 bash tests/wine/window_screens.sh >"$log" 2>&1 ||
    { echo "screens"; return; }
}

caught=0 total=0
while IFS='|' read -r name file old new; do
  [ -z "$name" ] || [ "${name:0:1}" = "#" ] && continue
  total=$((total + 1))
  if ! python3 - "$file" "$old" "$new" <<'PY'
import sys
path, old, new = sys.argv[1], sys.argv[2].replace('{NL}', '\n'), sys.argv[3].replace('{NL}', '\n')
text = open(path).read()
if text.count(old) != 1:
    sys.exit(1)
open(path, 'w').write(text.replace(old, new))
PY
  then
    echo "$name: NOT PLANTED (the text is not found once in $file)"
    continue
  fi
  rm -f "build/planted-faults/$name.log"  # a log of an earlier run would pass for this one's
  by=$(suites)
  [ -z "$by" ] || { mkdir -p build/planted-faults && cp "$log" "build/planted-faults/$name.log"; }
  git checkout -q -- "$file"
  if [ -n "$by" ]; then caught=$((caught + 1)); echo "$name: caught by $by"; else echo "$name: SURVIVED"; fi
done <"$faults"
scripts/build.sh native >/dev/null 2>&1; scripts/build.sh win64 >/dev/null 2>&1
echo "planted faults: $caught of $total caught"
