#!/bin/bash
# runner_kit_test.sh BUILD_DIR SOURCE_DIR
# tidewrack_client runs what the kit ships: from the app version's version.xml
# and from the anonymous platform's app_info.xml, each from a checkpoint near
# the end, to a complete report.
set -u
build_dir=$(realpath "$1"); source_dir=$(realpath "$2")
work=$(realpath "$(mktemp -d "${TMPDIR:-/tmp}/tidewrack-runner-kit-XXXXXX")")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

bash "$source_dir/tools/kit/package.sh" --from "$build_dir" "$work/kit" > "$work/package.log" 2>&1 ||
  { cat "$work/package.log"; echo "FAIL: tools/kit/package.sh failed"; exit 1; }

run() {   # run NAME OPTION DIR
  mkdir -p "$work/$1/project"
  printf ' 1272 \n 1272 \n' > "$work/$1/project/ckpt_state"
  "$build_dir/tidewrack_client" --dir "$work/$1" --plain --no-display --max-time 300 "$2" "$3" > "$work/$1.log" 2>&1 ||
    { fail "$1: the runner ended with status $?"; cat "$work/$1.log"; return; }
  grep -q "started $work/$1/project/tidewrack_" "$work/$1.log" ||
    fail "$1: the main program was not started from the project directory: $(grep started "$work/$1.log")"
  grep -q '<soft_link>.*/project/earthlights2_[0-9.]*\.jpg</soft_link>' "$work/$1/slot/earthlights2.jpg" ||
    fail "$1: earthlights2.jpg is not linked to the app version's picture"
  "$source_dir/tools/kit/validate_report.py" "$work/$1/project/out.txt" || fail "$1: no complete report"
}
run app-version --app-version "$(echo "$work"/kit/apps/tidewrack/*/x86_64-pc-linux-gnu)"
run anonymous --app-info "$work/kit/anonymous/x86_64-pc-linux-gnu"

[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "passed"
