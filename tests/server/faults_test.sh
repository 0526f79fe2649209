#!/bin/bash
# faults_test.sh BUILD_DIR SOURCE_DIR
# The fault run (tools/server/demo_project.sh --faults) on one project with the real
# client, and what the project's database and folders hold after it: every
# work unit hit by a fault ends with outcome success, valid, credited, its
# report complete with one header block per start, resumed from checkpoints
# rather than from scratch; the forged report is invalid without credit; no
# result credited twice; no process left.
set -u
build_dir=$(realpath "$1"); source_dir=$(realpath "$2")
support=$source_dir/tests/support
export PATH=/usr/sbin:/usr/bin:/sbin:/bin   # BOINC's Python tools need Debian's python3 and MySQLdb
source "$source_dir/tests/server/demo_helpers.sh"
skip_without_project_tools
skip_without_server_build

work=$(realpath "$(mktemp -d "${TMPDIR:-/tmp}/tidewrack-faults-XXXXXX")")
chmod 755 "$work"   # the web server's workers go through it
demo=$work/demo
project=$demo/project
db_port=$(python3 "$support/boinc_client.py" free-port)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
sql() { mariadb --no-defaults -h127.0.0.1 -P"$db_port" -uboincadm -pboincadm -N -B boinc_tidewrack -e "$1"; }
cleanup() {
  bash "$source_dir/tools/server/demo_project.sh" --dir "$demo" --stop > /dev/null 2>&1
  no_process_left "$work"
  rm -rf "$work"
  [ "$failures" = 0 ] && echo "passed" || { echo "$failures failure(s)"; exit 1; }
}
trap cleanup EXIT

bash "$source_dir/tools/server/build_server.sh" "" "$build_dir/boinc-server" || { fail "the server build failed"; exit 1; }
# The clients' GUI ports are the one given and the three after it.
gui_port=$(python3 "$support/boinc_client.py" free-port)
bash "$source_dir/tools/server/demo_project.sh" --dir "$demo" --build "$build_dir" --keep --timeout 1500 --faults \
  --port "$(python3 "$support/boinc_client.py" free-port)" --db-port "$db_port" --gui-port "$gui_port" \
  > "$work/faults.log" 2>&1
status=$?
cat "$work/faults.log"
[ "$status" = 0 ] || { fail "demo_project.sh --faults ended with status $status"; tail -n 30 "$demo"/client_*/stdoutdae.txt; exit 1; }

log=$(cat "$project"/log_*/script_validator.log)
while IFS=$'\t' read -r fault result starts _; do
  IFS=$'\t' read -r id outcome state credit wu stderr_out < <(sql "select r.id, r.outcome, r.validate_state,
    r.granted_credit, r.workunitid, replace(replace(r.stderr_out, '\n', ' | '), '\t', ' ') from result r where r.name = '$result'")
  if [[ $fault == forged* ]]; then
    [ "$state" = 2 ] && awk -v c="$credit" 'BEGIN { exit !(c == 0) }' ||
      fail "$fault: validate_state $state, credit $credit (want invalid, no credit)"
    grep -q "${result}_r.*invalid report: the report says .* the client measured" <<< "$log" ||
      fail "$fault: not refused for its CPU time"
    continue
  fi
  [ "$outcome" = 1 ] && [ "$state" = 1 ] || fail "$fault: outcome $outcome, validate_state $state (want 1, 1)"
  awk -v c="$credit" 'BEGIN { exit !(c > 0) }' || fail "$fault: credit $credit"
  report=$project/results/wu_$wu.txt
  if python3 "$source_dir/tools/kit/validate_report.py" "$report" 2> "$work/why"; then
    n=$(grep -c '^Hello, BOINC World!$' "$report")
    [ "$n" = "$starts" ] || fail "$fault: $n header blocks in the kept report, want $starts"
  else
    fail "$fault: the kept report is not complete: $(cat "$work/why")"
  fi
  # One start from scratch; every other start from a checkpoint.
  [ "$(grep -o 'Starting from scratch' <<< "$stderr_out" | wc -l)" = 1 ] &&
    [ "$(grep -o 'restarting at Pulsar [0-9]*' <<< "$stderr_out" | wc -l)" = $((starts - 1)) ] ||
    fail "$fault: not resumed from checkpoints: $(grep -o 'Starting from scratch\|restarting at Pulsar [0-9]*' <<< "$stderr_out" | tr '\n' ',')"
  [ "$(grep -c "\[RESULT#$id $result\] Valid; granted" <<< "$log")" = 1 ] || fail "$fault: $result validated more than once"
  echo "ok: $fault: $result valid, credit $credit, $starts start(s)"
done < "$demo/faults.txt"
[ "$(wc -l < "$demo/faults.txt")" = 6 ] || fail "$(wc -l < "$demo/faults.txt") rows, want 6"

# Credit granted twice would show in the totals, even if the result was
# written once.
read -r user_total results_total < <(sql "select (select total_credit from user), (select sum(granted_credit) from result)")
awk -v a="$user_total" -v b="$results_total" 'BEGIN { exit !(a - b < 1e-6 && b - a < 1e-6) }' ||
  fail "the volunteer has $user_total credit, the results $results_total"
[ "$(sql "select count(*) from host h where abs(h.total_credit - (select ifnull(sum(granted_credit), 0)
  from result r where r.hostid = h.id)) > 1e-6")" = 0 ] || fail "a host's credit is not its results' sum"
