#!/bin/bash
# validator_test.sh TIDEWRACK VALIDATOR
# The result validator on real reports: one the program writes in one start,
# one from a start killed after its header and resumed, and damaged, empty,
# partial and truncated copies of them.
set -u
exe=$(realpath "$1"); validator=$(realpath "$2")
work=$(mktemp -d "${TMPDIR:-/tmp}/tidewrack-validator-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
accepts() { "$validator" "$2" 2>"$work/why" || fail "$1 refused: $(cat "$work/why")"; }
refuses() {
  if "$validator" "$2" 2>"$work/why"; then fail "$1 accepted"; else echo "refused $1: $(cat "$work/why")"; fi
}
# Runs the program standalone, without a display, in directory $1.
run_program() { (cd "$1" && env -u DISPLAY timeout 300 "$exe" >/dev/null 2>&1); }

# One start, from a checkpoint two pulsars before the end.
mkdir "$work/one"
printf ' 1272 \n 1272 \n' > "$work/one/ckpt_state"
run_program "$work/one" || { echo "FAIL: the program ended with status $?"; exit 1; }
one=$work/one/out.txt

# Two starts: the first is killed once its header is out, the second resumes.
mkdir "$work/two"
(cd "$work/two" && exec env -u DISPLAY "$exe" >/dev/null 2>&1) &
pid=$!
for _ in $(seq 600); do
  grep -q "Starting from scratch" "$work/two/stderr.txt" 2>/dev/null && break
  sleep 0.1
done
kill -9 "$pid"; wait "$pid" 2>/dev/null
[ -s "$work/two/out.txt" ] || { echo "FAIL: the first start wrote no header"; exit 1; }
cp "$work/two/out.txt" "$work/header_only"
printf ' 1272 \n 1272 \n' > "$work/two/ckpt_state"
run_program "$work/two" || fail "the resumed program ended with status $?"
two=$work/two/out.txt
[ "$(grep -c '^Hello, BOINC World!$' "$two")" = 2 ] || fail "the resumed report lacks its two headers"

accepts "a report of one start" "$one"
accepts "a report of two starts" "$two"
sed 's/$/\r/' "$two" > "$work/crlf"
accepts "a report of two starts with CR LF line ends (a Windows host)" "$work/crlf"
sed '1s/\r$//' "$work/crlf" > "$work/mixed"
refuses "a report with mixed line ends" "$work/mixed"

: > "$work/empty"
refuses "an empty file" "$work/empty"
refuses "a header without a summary (a start that was killed)" "$work/header_only"

# Every shorter prefix that ends at a line, and the report less its last byte.
lines=$(wc -l < "$two")
for n in $(seq 1 $((lines - 1))); do
  head -n "$n" "$two" > "$work/cut"
  "$validator" "$work/cut" 2>/dev/null && fail "the report cut after line $n accepted"
done
head -c -1 "$one" > "$work/cut"
refuses "the report less its last byte" "$work/cut"

cat "$one" "$one" > "$work/twice"
refuses "two summaries (a start after the end)" "$work/twice"
sed 's/^Blow me down!$/Blow me up!/' "$one" > "$work/closing"
refuses "a changed closing line" "$work/closing"
sed 's/^APP: CPU time: [0-9.]*/APP: CPU time: lots/' "$one" > "$work/cpu"
refuses "a damaged CPU-time line" "$work/cpu"
sed '/^Team: /d' "$two" > "$work/team"
refuses "a header block missing a line" "$work/team"
sed '15a garbage' "$two" > "$work/between"
refuses "a stray line between header blocks" "$work/between"
(cat "$one"; printf '\0\0\0\0') > "$work/zeros"
refuses "zero bytes after the summary" "$work/zeros"

[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "all validator checks passed"
