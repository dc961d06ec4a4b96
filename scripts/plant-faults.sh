#!/bin/bash
# Plants one fault at a time in the code (scripts/planted-faults.txt), rebuilds, and runs every
# suite; prints each suite that caught the fault, or "SURVIVED". Each suite stops at its own first
# failure, but a catch never stops the suites after it. The tree is restored after each fault.
# Usage: plant-faults.sh [--check] [TREE [FAULTS]], FAULTS being scripts/planted-faults.txt
# unless given. Before any build, every fault's text must be found exactly once in its file, or
# the script names each lapsed fault and fails; --check does only that, in a second.
# The output of each suite that caught a fault is kept in build/planted-faults/NAME.SUITE.log.
set -u -o pipefail
check_only=false
[ "${1:-}" = "--check" ] && check_only=true && shift
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
faults=$(realpath "${2:-$(dirname "$0")/planted-faults.txt}")
cd "$root"

# plant FAULTS [NAME]: plants the fault NAME of FAULTS (NAME|FILE|TEXT|REPLACEMENT, {NL} a line
# break), or without NAME plants none and checks them all; fails, naming each fault whose text is
# not found exactly once in its file.
plant() {
  python3 - "$@" <<'PY'
import sys
lapsed = 0
for line in open(sys.argv[1]):
    line = line.rstrip("\n")
    if not line or line.startswith("#"):
        continue
    name, path, old, new = line.split("|", 3)
    if len(sys.argv) > 2 and name != sys.argv[2]:
        continue
    old, new = old.replace("{NL}", "\n"), new.replace("{NL}", "\n")
    try:
        text = open(path).read()
    except OSError:
        text = ""
    if text.count(old) != 1:
        print(f"{name}: LAPSED, its text is found {text.count(old)} times in {path}, not once")
        lapsed += 1
    elif len(sys.argv) > 2:
        open(path, "w").write(text.replace(old, new))
sys.exit(1 if lapsed else 0)
PY
}

plant "$faults" || { echo "planted faults: mend the lapsed faults first"; exit 1; }
$check_only && exit 0
source scripts/wine-env.sh
export LC_ALL=C.UTF-8 TZ=IST-5:30 TARN_DPI=144 GTEST_FAIL_FAST=1
scripts/build.sh win64 >/dev/null 2>&1
wine_env_start "$root/build/win64" own-display >/dev/null 2>&1
trap wine_env_stop EXIT
kept=build/planted-faults
mkdir -p "$kept"

# One suite: suite NAME COMMAND...; its name is printed when it fails.
suite() {
  local name=$1
  shift
  "$@" </dev/null >"$kept/current.log" 2>&1 && return
  cp "$kept/current.log" "$kept/$fault.$name.log"
  printf '%s ' "$name"
}

suites() {  # prints the suites that fail
  if suite "native-build" scripts/build.sh native; then
    suite core timeout 300 build/native/core_tests
  fi
  suite fuzz timeout 600 scripts/fuzz.sh 0
  suite "win64-build" scripts/build.sh win64 || return
  local test
  for test in $(ctest --test-dir build/win64 -N | sed -n 's/^ *Test *#[0-9]*: //p'); do
    suite "$test" ctest --test-dir build/win64 -R "^$test\$" --output-on-failure
  done
}

caught=0 total=0
while IFS='|' read -r fault file old new; do
  [ -z "$fault" ] || [ "${fault:0:1}" = "#" ] && continue
  total=$((total + 1))
  plant "$faults" "$fault" || exit 1
  rm -f "$kept/$fault".*.log  # a log of an earlier run would pass for this one's
  by=$(suites)
  git checkout -q -- "$file"
  if [ -n "$by" ]; then
    caught=$((caught + 1))
    echo "$fault: caught by ${by% }"
  else
    echo "$fault: SURVIVED"
  fi
done <"$faults"
scripts/build.sh native >/dev/null 2>&1
scripts/build.sh win64 >/dev/null 2>&1
echo "planted faults: $caught of $total caught"
