#!/bin/bash
# The version text of every PE file in the Wine prefix's system32 folder, and of the version
# fixtures, as version_list.exe reads it through Windows, must equal the one that pefile reads on
# the Linux side. Needs WINEPREFIX and TARN_WIN_BUILD (the Windows build folder).
set -u -o pipefail
here=$(cd "$(dirname "$0")" && pwd)
lister="$TARN_WIN_BUILD/version_list.exe"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

compare() {  # linux_folder windows_folder
  /usr/bin/python3 "$here/pe_versions.py" "$1" >"$work/theirs" || return 1
  wine "$lister" "$2" </dev/null 2>"$work/errors" | tr -d '\r' >"$work/ours" || return 1
  [ -s "$work/errors" ] && { cat "$work/errors" >&2; return 1; }
  # Names compared without regard to case, as Windows does; only PE files are judged.
  awk -F'\t' 'function differs(name, ours, pe) {
                bad++; if (bad <= 5) printf "%s: ours \"%s\", pefile \"%s\"\n", name, ours, pe \
                > "/dev/stderr" }
              NR == FNR { theirs[tolower($1)] = $2; next }
              tolower($1) in theirs { seen[tolower($1)] = 1; n++
                                      if (theirs[tolower($1)] != $2) differs($1, $2, theirs[tolower($1)]) }
              END { for (name in theirs) if (!(name in seen)) differs(name, "(not listed)", theirs[name])
                    printf "%d %d\n", n, bad + 0 }' "$work/theirs" "$work/ours"
}

[ -f "$lister" ] || { echo "version_diff: FAIL, $lister is missing"; exit 1; }
total=0 differ=0
for pair in "$WINEPREFIX/drive_c/windows/system32|C:\\windows\\system32" \
            "$TARN_WIN_BUILD/fixtures|Z:$(echo "$TARN_WIN_BUILD/fixtures" | tr / '\\')"; do
  result=$(compare "${pair%%|*}" "${pair#*|}") || { echo "version_diff: FAIL, ${pair#*|} unread"; exit 1; }
  read -r n bad <<<"$result"
  total=$((total + n)) differ=$((differ + bad))
done
if [ "$total" -lt 100 ] || [ "$differ" -ne 0 ]; then
  echo "version_diff: FAIL, $differ of $total files differ"
  exit 1
fi
echo "version_diff: ok, $total files agree"
