#!/bin/bash
# Runs every test: the core's unit tests (native, under AddressSanitizer and UBSan), the Windows
# tests and the end-to-end tests of tarninfo.exe and tarninfoc.exe under Wine, the build checks,
# and 20 s of fuzzing for each fuzz target. Ends with the line "N passed, N failed" counting all
# of them.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/setup.sh" || { echo "0 passed, 1 failed"; exit 1; }
source "$root/scripts/wine-env.sh"
# The same code page, date format and time zone on every machine, so expected texts do not vary;
# a zone half an hour off the hour, so that a time's offset is seen whole. The window at 144 dpi,
# so that a layout that holds only at 96 shows.
export LC_ALL=C.UTF-8 TZ=IST-5:30 TARN_DPI=144

passed=0 failed=0
out=$(mktemp)
trap 'rm -f "$out"; wine_env_stop' EXIT

# One counted check: check NAME COMMAND...
check() {
  local name=$1
  shift
  if "$@" >"$out" 2>&1; then
    passed=$((passed + 1))
    echo "ok      $name"
  else
    failed=$((failed + 1))
    echo "FAILED  $name"
    tail -n 40 "$out" | sed 's/^/        /'
  fi
}

# The exe must need no DLL that Windows does not ship.
only_system_dlls() {
  local objdump=$1 exe=$2 dlls
  dlls=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
  echo "$dlls"
  [ -n "$dlls" ] || return 1
  ! grep -qvE '^(kernel32|user32|gdi32|comctl32|comdlg32|shell32|ole32|oleaut32|version|advapi32|msvcrt|shlwapi|uxtheme|bcrypt|wintrust|crypt32)\.dll$' <<<"$dlls"
}

# The exe's manifest asks for the rights of whoever starts it: without that, Windows runs a 32-bit
# exe under UAC virtualization, and its log beside the exe lands unseen in the user's VirtualStore.
runs_as_invoker() {
  local windres=$1 exe=$2
  "$windres" -i "$exe" -O rc | sed -n '/RT_MANIFEST/,/^END/p' |
    grep -q 'requestedExecutionLevel level=""asInvoker""'
}

# The JSON reports that the console tests kept must match the schema in docs/.
reports_match_schema() {
  python3 - "$root/docs/tarninfoc-report.schema.json" "$1" <<'PY'
import glob, json, sys
import jsonschema
schema = json.load(open(sys.argv[1]))
jsonschema.Draft202012Validator.check_schema(schema)
reports = sorted(glob.glob(sys.argv[2] + "/*.json"))
if not reports:
    sys.exit("no reports were kept")
for path in reports:
    jsonschema.Draft202012Validator(schema).validate(json.load(open(path, encoding="utf-8")))
    print("valid", path)
PY
}

# Runs one build's ctest and adds up the gtest cases from their XML results; a test program that
# left no results (it crashed or hung) counts as one failure.
run_ctest() {
  local dir=$1 results=$1/test-results name counts
  rm -rf "$results"
  mkdir -p "$results"
  (cd "$dir" && ctest --output-on-failure) >"$out" 2>&1
  local status=$?
  grep -E '^\s*[0-9]+/[0-9]+ Test|tests passed|tests failed' "$out" | sed 's/^/        /'
  [ $status -eq 0 ] || tail -n 60 "$out" | sed 's/^/        /'
  while read -r name; do
    if [ -f "$results/$name.xml" ]; then
      counts=$(python3 - "$results/$name.xml" <<'PY'
import sys, xml.etree.ElementTree as et
root = et.parse(sys.argv[1]).getroot()
tests = int(root.get("tests", 0)); bad = int(root.get("failures", 0)) + int(root.get("errors", 0))
# gtest counts the skipped tests on each suite, not on the root.
skipped = int(root.get("disabled", 0)) + sum(int(s.get("skipped", 0)) for s in root.iter("testsuite"))
print(tests - bad - skipped, bad)
PY
)
      passed=$((passed + ${counts% *}))
      failed=$((failed + ${counts#* }))
    else
      echo "FAILED  $name left no results"
      failed=$((failed + 1))
    fi
  done < <(cd "$dir" && ctest -N | sed -n 's/^ *Test *#[0-9]*: //p')
}

check "every planted fault still plants (scripts/planted-faults.txt)" scripts/plant-faults.sh --check
check "native build (core and unit tests, sanitizers on)" scripts/build.sh native
check "x86_64 build (tarninfo.exe, tarninfoc.exe and the Wine tests)" scripts/build.sh win64
check "i686 build (32-bit release tarninfo.exe and tarninfoc.exe)" scripts/build.sh win32
for exe in tarninfo tarninfoc; do
  check "x86_64 $exe.exe needs only Windows' own DLLs" \
    only_system_dlls x86_64-w64-mingw32-objdump build/win64/$exe.exe
  check "i686 $exe.exe needs only Windows' own DLLs" \
    only_system_dlls i686-w64-mingw32-objdump build/win32/$exe.exe
  check "x86_64 $exe.exe runs with its starter's rights (asInvoker)" \
    runs_as_invoker x86_64-w64-mingw32-windres build/win64/$exe.exe
  check "i686 $exe.exe runs with its starter's rights (asInvoker)" \
    runs_as_invoker i686-w64-mingw32-windres build/win32/$exe.exe
done

[ -x build/native/core_tests ] && run_ctest build/native
check "fuzzing of the loader and the runner, of the PE reader and of the baseline reader, 20 s each" scripts/fuzz.sh 20

if [ -x build/win64/tarninfo.exe ]; then
  wine_env_start "$root/build/win64" own-display
  run_ctest build/win64
  check "tarninfoc's JSON reports match docs/tarninfoc-report.schema.json" \
    reports_match_schema build/win64/test-results/tarninfoc-json
  wine_env_stop
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
