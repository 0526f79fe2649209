#!/bin/bash
# hostile_reports_test.sh TIDEWRACK VALIDATOR
# The result validator on uploads a volunteer's host should never send: each
# is judged invalid within 5 s and 100 MB of address space (ulimit -v), and a
# missing upload, the server's fault, is "try again later" both by hand and
# under system(), as script_validator runs it.
set -u
exe=$(realpath "$1"); validator=$(realpath "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/tidewrack-hostile-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A real report of one start, as an upload of work unit tidewrack_wu_3.
mkdir "$work/run"
printf ' 1272 \n 1272 \n' > "$work/run/ckpt_state"
(cd "$work/run" && env -u DISPLAY timeout 300 "$exe" > /dev/null 2>&1) || { echo "FAIL: the program ended with status $?"; exit 1; }
upload() { echo "$work/tidewrack_wu_$1_0_r${RANDOM}${RANDOM}_0"; }
good=$(upload 3)
sed 's/^WU Name:  .*/WU Name:  tidewrack_wu_3 /' "$work/run/out.txt" > "$good"
header=$(sed -n '1,15p' "$good")
summary_of() { echo "$header"; printf 'APP: CPU time: %s seconds, Wall clock time: %s seconds\n\nBlow me down!\n' "$1" "$2"; }

# judge NAME FILE WANT: runs the validator under the address-space limit and
# checks its exit status, time and peak memory.
judge() {
  local name=$1 file=$2 want=$3 status seconds kbytes
  ( ulimit -v 102400; exec /usr/bin/time -f '%e %M' -o "$work/usage" "$validator" "$file" ) 2> "$work/why"
  status=$?
  read -r seconds kbytes < <(tail -n 1 "$work/usage")
  if grep -q Traceback "$work/why"; then
    fail "$name: the validator crashed: $(tail -n 1 "$work/why")"
  elif [ "$status" != "$want" ]; then
    fail "$name: exit status $status, want $want: $(tail -n 2 "$work/why")"
  elif awk -v s="$seconds" 'BEGIN { exit !(s >= 5) }'; then
    fail "$name: judged in $seconds s"
  else
    printf '%-44s exit %s  %5.2f s %6d kB  %s\n' "$name" "$status" "$seconds" "$kbytes" "$(tail -n 1 "$work/why" | sed 's/^[^:]*: //')"
  fi
}

judge "a complete report of its work unit" "$good" 0

f=$(upload 3); : > "$f"; judge "empty" "$f" 1
f=$(upload 3); head -c 65536 /dev/urandom > "$f"; judge "binary junk" "$f" 1
f=$(upload 3); yes "$header" | head -c 200M > "$f"; judge "200 MB of header lines" "$f" 1
f=$(upload 3); { sed -n 1,3p "$good"; printf 'User: '; head -c 50M /dev/zero | tr '\0' a; printf ' \t\tAuth: x \n'; sed -n '5,$p' "$good"; } > "$f"
judge "one line of 50 MB" "$f" 1
f=$(upload 3); sed 's/^Team: .*/Team: \xe9quipe /' "$good" > "$f"; judge "not UTF-8 (Latin-1 in a name)" "$f" 1
f=$(upload 3); head -n 8 "$good" > "$f"; judge "cut in the middle of the header block" "$f" 1
f=$(upload 7); cp "$good" "$f"; judge "a complete report of another work unit" "$f" 1
f=$(upload 3); { cat "$good"; sed -n '/^APP: CPU time/,$p' "$good"; } > "$f"; judge "the summary copied twice" "$f" 1
f=$(upload 3); summary_of -12.000000 30.000000 > "$f"; judge "a negative CPU time" "$f" 1
f=$(upload 3); summary_of nan 30.000000 > "$f"; judge "a CPU time that is not a number" "$f" 1
f=$(upload 3); summary_of 90.000000 30.000000 > "$f"; judge "CPU time longer than the wall clock" "$f" 1
f=$(upload 3); ln -s "$good" "$f"; judge "a symbolic link to a complete report" "$f" 1
f=$(upload 3); mkdir "$f"; judge "a folder in place of the report" "$f" 1

# The server's fault: by hand exit 75; under system() the shell ends by SIGHUP,
# status 1, which script_validator takes as "suspicious", not as invalid.
judge "a missing upload" "$(upload 3)" 75
mkdir -p "$work/project/bin" "$work/project/daemon"
cp "$validator" "$work/project/bin/validate_report.py"
status=$(cd "$work/project/daemon" && python3 -c 'import os, sys; print(os.system(sys.argv[1]))' \
  "../bin/validate_report.py $(upload 3)" 2> /dev/null)
[ "$status" = 1 ] && echo "a missing upload under system(): status 1 (suspicious)" ||
  fail "a missing upload under system(): status $status, want 1"

[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "all hostile reports refused"
