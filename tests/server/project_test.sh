#!/bin/bash
# project_test.sh BUILD_DIR SOURCE_DIR
# The kit on BOINC's own server, with the real client: tools/server/demo_project.sh
# builds the server (or reuses BUILD_DIR/boinc-server), stands the project
# up and runs two work units. The test holds the validator until both results
# are reported and cuts the second one's upload, so that
#   - the first is valid and credited, its report kept by the assimilator,
#   - the second, cut, is invalid and gets no credit;
# the client fetched the app version and the Simple view's pictures from the
# project. Then --new-version publishes the same program as the next version,
# and the client's next task runs that version's main program, with that
# version's libraries. At the end no process the test started is left.
set -u
build_dir=$(realpath "$1"); source_dir=$(realpath "$2")
support=$source_dir/tests/support/boinc_client.py
# BOINC's Python tools need Debian's python3 and its MySQLdb.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
source "$source_dir/tests/server/demo_helpers.sh"
skip_without_project_tools
skip_without_server_build

work=$(realpath "$(mktemp -d "${TMPDIR:-/tmp}/tidewrack-server-XXXXXX")")
chmod 755 "$work"   # the web server's workers go through it
demo=$work/demo
project=$demo/project
host=$(hostname -s)
http_port=$(python3 "$support" free-port)
db_port=$(python3 "$support" free-port)
gui_port=$(python3 "$support" free-port)
demo_pid=""
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
now() { echo "$EPOCHREALTIME"; }
seconds_since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.0f", b - a }'; }
sql() { mariadb --no-defaults -h127.0.0.1 -P"$db_port" -uboincadm -pboincadm -N -B boinc_tidewrack -e "$1"; }
cleanup() {
  [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null
  bash "$source_dir/tools/server/demo_project.sh" --dir "$demo" --stop > /dev/null 2>&1
  no_process_left "$work"
  rm -rf "$work"
  [ "$failures" = 0 ] && echo "passed" || { echo "$failures failure(s)"; exit 1; }
}
trap cleanup EXIT

# ---- the server build -----------------------------------------------------------
t=$(now)
bash "$source_dir/tools/server/build_server.sh" "" "$build_dir/boinc-server" || give_up "the server build failed"
echo "server build: $(seconds_since "$t") s"
t_project=$(now)

# ---- the project, two work units, the validator held --------------------------
bash "$source_dir/tools/server/demo_project.sh" --dir "$demo" --build "$build_dir" --jobs 2 --keep --timeout 900 \
  --port "$http_port" --db-port "$db_port" --gui-port "$gui_port" > "$work/demo.log" 2>&1 &
demo_pid=$!
validator_pid_file=$project/pid_$host/script_validator.pid
validator_running() { [ -s "$validator_pid_file" ] && kill -0 "$(cat "$validator_pid_file")" 2>/dev/null; }
wait_for 600 "the validator runs" validator_running
# Held as an operator holds a daemon: disabled in config.xml, and stopped.
sed -i 's|<cmd>script_validator|<disabled>1</disabled><cmd>script_validator|' "$project/config.xml"
validator=$(cat "$validator_pid_file")
kill "$validator"
wait_for 30 "the validator stops" bash -c "! kill -0 $validator 2>/dev/null"
[ "$(sql "select count(*) from result where validate_state <> 0")" = 0 ] ||
  give_up "a result was validated before the validator was held"
echo "validator held"

reported() { [ "$(sql "select count(*) from result where server_state = 5 and outcome = 1")" = 2 ]; }
wait_for 900 "both results reported" reported
# The invalid result gets a replica; the client is not to take it yet.
boinccmd --host "127.0.0.1:$gui_port" --passwd demo --project "http://127.0.0.1:$http_port/tidewrack/" nomorework
second=tidewrack_wu_2_0
upload=$(find "$project/upload" -name "${second}_r*_0" -type f)   # create_work adds a random part
[ -n "$upload" ] || give_up "no upload of $second"
size=$(stat -c %s "$upload")
truncate -s $((size / 2)) "$upload"
echo "cut $second's report from $size to $((size / 2)) bytes"
sed -i 's|<disabled>1</disabled><cmd>script_validator|<cmd>script_validator|' "$project/config.xml"
(cd "$project" && python3 bin/start > /dev/null 2>&1) || give_up "bin/start did not start the validator again"

wait "$demo_pid"; status=$?; demo_pid=""
[ "$status" = 0 ] || give_up "demo_project.sh ended with status $status"
sed -n '/^work unit/,$p' "$work/demo.log"
echo "project to two results over: $(seconds_since "$t_project") s"

# ---- what the project holds --------------------------------------------------------
IFS=$'\t' read -r outcome state credit cpu wu_id < <(sql "select outcome, validate_state, granted_credit, cpu_time,
  workunitid from result where name = 'tidewrack_wu_1_0'")
[ "$outcome" = 1 ] && [ "$state" = 1 ] || fail "first result: outcome $outcome, validate_state $state (want 1, 1)"
awk -v c="$credit" 'BEGIN { exit !(c > 0) }' || fail "first result: granted credit $credit"
IFS=$'\t' read -r state credit < <(sql "select validate_state, granted_credit from result where name = '$second'")
[ "$state" = 2 ] || fail "the cut result: validate_state $state (want 2, invalid)"
awk -v c="$credit" 'BEGIN { exit !(c == 0) }' || fail "the cut result: granted credit $credit"
total=$(sql "select total_credit from user limit 1")
awk -v c="$total" 'BEGIN { exit !(c > 0) }' || fail "the volunteer's total credit is $total"

kept=$project/results/wu_$wu_id.txt
if [ -f "$kept" ]; then
  "$source_dir/tools/kit/validate_report.py" "$kept" || fail "the kept report is not complete"
  grep -q '^WU Name:  tidewrack_wu_1 $' "$kept" || fail "the kept report is not work unit 1's"
  grep -q '^APP: CPU time: ' "$kept" || fail "the kept report has no summary"
else
  fail "the assimilator kept no report for work unit $wu_id"
fi
# The whole search, all 1274 targets from scratch, to boinc_finish(0).
stderr_out=$(sql "select stderr_out from result where name = 'tidewrack_wu_1_0'")
grep -q 'worker: Starting from scratch' <<< "$stderr_out" && grep -q 'called boinc_finish(0)' <<< "$stderr_out" ||
  fail "the first task did not search from scratch to its end: $(tail -n 3 <<< "$stderr_out")"

# The client fetched every file of the app version from the project, and keeps them.
client_project=$demo/client/projects/127.0.0.1_${http_port}_tidewrack
version_dir=$(echo "$demo"/kit/apps/tidewrack/*/x86_64-pc-linux-gnu)
for file in $(sed -n 's:.*<physical_name>\(.*\)</physical_name>.*:\1:p' "$version_dir/version.xml"); do
  grep -q "\"GET /tidewrack/download/$file HTTP/1.[01]\" 200 " "$demo/apache/logs/access.log" ||
    fail "the client did not download $file from the project"
  cmp -s "$version_dir/$file" "$client_project/$file" || fail "the client's $file is not the kit's"
done
for name in slideshow_tidewrack_00 slideshow_tidewrack_01 slideshow_tidewrack_02 slideshow_tidewrack_03 stat_icon; do
  [ -f "$client_project/$name" ] || fail "no $name in the client's project directory"
done
# The client's first estimate, from rsc_fpops_est and its benchmarks, beside
# the CPU time the task took (a figure: both move with the machine's load).
estimate=$(awk '$1 == "tidewrack_wu_1_0" { print $2 }' "$demo/estimates.txt")
awk -v e="$estimate" -v c="$cpu" 'BEGIN { printf "first run-time estimate %.1f s, CPU time %.1f s: ratio %.2f\n", e, c, e / c }' 

# ---- a second version --------------------------------------------------------
t=$(now)
boinccmd --host "127.0.0.1:$gui_port" --passwd demo --project "http://127.0.0.1:$http_port/tidewrack/" allowmorework
bash "$source_dir/tools/server/demo_project.sh" --dir "$demo" --build "$build_dir" --new-version --timeout 600 \
  > "$work/new_version.log" 2>&1 &
demo_pid=$!
new_version=""
wait_for 300 "the second version is packed" bash -c "ls -d '$demo'/kit/apps/tidewrack/*/ | grep -qv '$(basename "$(dirname "$version_dir")")'"
new_version=$(basename "$(ls -d "$demo"/kit/apps/tidewrack/*/ | tail -n 1)")
new_main=tidewrack_${new_version}_x86_64-pc-linux-gnu
task_of_new_version() {
  local p
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/exe" 2>/dev/null)" = "$client_project/$new_main" ] && { task=${p#/proc/}; return 0; }
  done
  return 1
}
wait_for 400 "a task of version $new_version runs" task_of_new_version
echo "task $task runs $new_main"
slot=$(readlink "/proc/$task/cwd")
wait_for 30 "the task maps libboinc_api.so.7" grep -q "libboinc_api.so.7" "/proc/$task/maps"
grep -q " $slot/libboinc_api.so.7$" "/proc/$task/maps" ||
  fail "the new version's task maps libboinc_api.so.7 not from its slot: $(grep libboinc_api "/proc/$task/maps" | head -n 1)"
cmp -s "$slot/libboinc_api.so.7" "$client_project/tidewrack_${new_version}_x86_64-pc-linux-gnu_libboinc_api.so.7" ||
  fail "the slot's libboinc_api.so.7 is not the new version's"
wait "$demo_pid"; status=$?; demo_pid=""
[ "$status" = 0 ] || give_up "demo_project.sh --new-version ended with status $status"
sed -n '/^work unit/,$p' "$work/new_version.log"
IFS=$'\t' read -r version state < <(sql "select a.version_num, r.validate_state from result r
  join app_version a on a.id = r.app_version_id where r.name = 'tidewrack_wu_3_0'")
[ "$version" = "$(echo "$new_version" | tr -d .)" ] && [ "$state" = 1 ] ||
  fail "the third result: version $version, validate_state $state (want $new_version, valid)"
echo "second version to its result validated: $(seconds_since "$t") s"
echo "project part: $(seconds_since "$t_project") s"
