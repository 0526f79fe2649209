#!/bin/bash
# platforms_project_test.sh BUILD_DIR SOURCE_DIR
# Every platform of the kit through the real local project: tools/server/demo_project.sh
# --platforms all publishes the four app versions with update_versions and its
# own client (the x86_64 Linux host) takes the first work unit. Then one more
# real client a platform runs beside it, each one task of its own:
#   - an aarch64 and an armhf host: Debian's own ARM client (unpacked by
#     tools/build/install_deps.sh) under qemu-user, so that its primary platform is
#     truly ARM, and its tasks' ARM programs exec'd through qemu too;
#   - a Windows host: the x86_64 client asking also for <alt_platform>
#     windows_x86_64, its .exe exec'd through Wine, in a Wine prefix of its own.
# The kernel hands ARM and Windows programs to qemu and Wine through binfmt_misc
# handlers registered for this test only (binfmt_misc mounted for it if it is
# not; root only). The scheduler keeps the fastest
# version of a host's platforms, the primary one on a tie, so the stand-in
# Windows host would get the Linux version: the app uses BOINC's homogeneous
# app version and each work unit is committed to its platform's version
# (workunit.app_version_id), as the scheduler commits a work unit at its first
# send. From the database: one valid, credited result a platform, on that
# platform's app version, from hosts of their own, the reports assimilated and
# complete. At the end no process of the test is left, nor a handler.
set -u
build_dir=$(realpath "$1"); source_dir=$(realpath "$2")
support=$source_dir/tests/support/boinc_client.py
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
cross=/opt/tidewrack-cross
source "$source_dir/tests/server/demo_helpers.sh"
skip_without_project_tools wine wineserver qemu-aarch64-static qemu-arm-static
for a in arm64 armhf; do
  [ -x "$cross/$a/usr/bin/boinc" ] || { echo "SKIP: no $a client in $cross/$a (tools/build/install_deps.sh)"; exit 0; }
done
[ "$(id -u)" = 0 ] && grep -qw binfmt_misc /proc/filesystems ||
  { echo "SKIP: binfmt_misc handlers need root and the kernel's binfmt_misc"; exit 0; }

work=$(realpath "$(mktemp -d "${TMPDIR:-/tmp}/tidewrack-platforms-XXXXXX")")
chmod 755 "$work"
demo=$work/demo
project=$demo/project
http_port=$(python3 "$support" free-port)
db_port=$(python3 "$support" free-port)
gui_port=$(python3 "$support" free-port)
url=http://127.0.0.1:$http_port/tidewrack/
started=$EPOCHREALTIME
demo_pid=""
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
seconds_since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.0f", b - a }'; }
sql() { mariadb --no-defaults -h127.0.0.1 -P"$db_port" -uboincadm -pboincadm -N -B boinc_tidewrack -e "$1"; }
source "$source_dir/tests/server/binfmt.sh"

# ---- the stand-in hosts -----------------------------------------------------------
declare -A host_pid host_port
host_cmd() { boinccmd --host "127.0.0.1:${host_port[$1]}" --passwd demo "${@:2}"; }
start_host() {   # start_host NAME CLIENT [ALT_PLATFORM]
  local dir=$work/hosts/$1
  mkdir -p -m 700 "$dir"
  echo demo > "$dir/gui_rpc_auth.cfg"
  host_port[$1]=$(python3 "$support" free-port)
  # Benchmarks skipped: under qemu they measure the emulator, and the
  # default speed leaves the tasks' time limit wide. Tasks at the client's
  # own priority, nice 10, not idle: emulated work units take five to ten
  # times the CPU, and on a machine busy with builds an idle task waits for hours.
  cat > "$dir/cc_config.xml" <<EOF
<cc_config>
  <log_flags><sched_op_debug/><task/></log_flags>
  <options>
    <report_results_immediately>1</report_results_immediately>
    <dont_contact_ref_site>1</dont_contact_ref_site>
    <network_test_url>$url</network_test_url>
    <skip_cpu_benchmarks>1</skip_cpu_benchmarks>
    <no_priority_change>1</no_priority_change>
    ${3:+<alt_platform>$3</alt_platform>}
  </options>
</cc_config>
EOF
  cp "$demo/client/global_prefs_override.xml" "$dir/"
  # The client looks for idle users on every X server in /tmp/.X11-unix, and
  # exits when one of them ends (other tests' servers come and go): each host
  # sees an empty folder there, in a mount namespace of its own.
  (cd "$dir" && exec env -u DISPLAY nice -n 10 unshare --mount --propagation private sh -c \
      'mount -t tmpfs -o size=64k tidewrack-no-x11 /tmp/.X11-unix && exec "$@"' sh \
      "$2" --dir "$dir" --gui_rpc_port "${host_port[$1]}" --allow_multiple_clients \
      --no_gpus --no_info_fetch --redirectio < /dev/null > /dev/null 2>&1) &
  host_pid[$1]=$!
  for _ in $(seq 240); do host_cmd "$1" --get_cc_status > /dev/null 2>&1 && break; sleep 0.25; done
  host_cmd "$1" --set_run_mode always > /dev/null && host_cmd "$1" --set_network_mode always > /dev/null &&
    host_cmd "$1" --project_attach "$url" "$(sql "select authenticator from user limit 1")" > /dev/null ||
    give_up "the $1 host did not start"
}
stop_hosts() {   # by pid: the clients, then what is left of their tasks, then Wine's server
  local name p
  for name in "${!host_pid[@]}"; do kill -TERM "${host_pid[$name]}" 2>/dev/null; done
  for name in "${!host_pid[@]}"; do
    for _ in $(seq 100); do kill -0 "${host_pid[$name]}" 2>/dev/null || break; sleep 0.2; done
    kill -KILL "${host_pid[$name]}" 2>/dev/null
  done
  # A Windows task hears nothing of the client (its shared memory is not
  # Wine's) and a killed client leaves its tasks running.
  for p in $(processes_in "$work/hosts"); do kill -KILL "$p" 2>/dev/null; done
  [ -d "$work/wine-prefix" ] && WINEPREFIX=$work/wine-prefix wineserver -k 2>/dev/null
  return 0
}

cleanup() {
  local p
  [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null
  stop_hosts
  bash "$source_dir/tools/server/demo_project.sh" --dir "$demo" --stop > /dev/null 2>&1
  binfmt_stop
  for p in "$binfmt_dir"/"$binfmt_prefix"-*; do [ -e "$p" ] && fail "handler $p left registered"; done
  sleep 1   # Wine's server ends a moment after its last program
  no_process_left "$work"
  rm -rf "$work"
  echo "platforms_project: $(seconds_since "$started") s in all"
  [ "$failures" = 0 ] && echo "passed" || { echo "$failures failure(s)"; exit 1; }
}
trap cleanup EXIT
trap 'fail "interrupted"; exit 1' INT TERM
more_logs() {
  local name
  for name in "${!host_pid[@]}"; do
    echo "--- $name host"; tail -n 12 "$work/hosts/$name/stdoutdae.txt" 2>/dev/null
  done
}

# ---- handlers, a Wine prefix, the project with four versions -----------------
binfmt_start "tidewrack-$$" && binfmt_qemu aarch64 && binfmt_qemu arm && binfmt_wine ||
  give_up "could not register the binfmt_misc handlers"
export WINEPREFIX=$work/wine-prefix WINEDEBUG=-all
bash "$source_dir/tests/windows/wine_prefix.sh" make "$WINEPREFIX" || give_up "no Wine prefix"
# a headless host: no display, no OpenGL, no Mono or Gecko prompts
export WINEDLLOVERRIDES="mscoree,mshtml=;opengl32=d"

bash "$source_dir/tools/server/demo_project.sh" --dir "$demo" --build "$build_dir" --platforms all --jobs 1 --keep \
  --timeout 3600 --port "$http_port" --db-port "$db_port" --gui-port "$gui_port" > "$work/demo.log" 2>&1 &
demo_pid=$!
sent() { [ "$(sql "select count(*) from result where name = '$1_0' and server_state >= 4" 2> /dev/null)" = 1 ]; }
wait_for 1200 "the x86_64 Linux host takes the first work unit" sent tidewrack_wu_1
declare -A version_of
while read -r platform id; do version_of[$platform]=$id; done < <(sql "select p.name, a.id from app_version a
  join platform p on p.id = a.platformid where a.version_num = (select max(version_num) from app_version)")
[ ${#version_of[@]} = 4 ] || give_up "update_versions added ${#version_of[@]} app versions: ${!version_of[*]}"
echo "four app versions: $(for p in "${!version_of[@]}"; do printf '%s=%s ' "$p" "${version_of[$p]}"; done)"

# ---- one work unit a platform, committed to its version ---------------------------
sql "update app set homogeneous_app_version = 1 where name = 'tidewrack'"
touch "$project/reread_db"
for platform in windows_x86_64 aarch64-unknown-linux-gnu arm-unknown-linux-gnueabihf; do
  (cd "$project" && bin/create_work --appname tidewrack --wu_name "tidewrack_wu_$platform" \
      --wu_template templates/tidewrack_in --result_template templates/tidewrack_out) || give_up "create_work failed"
  sql "update workunit set app_version_id = ${version_of[$platform]} where name = 'tidewrack_wu_$platform'"
done
wait_for 60 "the feeder rereads the app" test ! -e "$project/reread_db"

# The armhf host first, in case an aarch64 client also asks for armhf work
# (Debian's 7.20.5 does not: its request is printed below).
t_hosts=$EPOCHREALTIME
start_host armhf "$cross/armhf/usr/bin/boinc"
wait_for 600 "the armhf host takes its work unit" sent tidewrack_wu_arm-unknown-linux-gnueabihf
start_host windows boinc windows_x86_64
start_host aarch64 "$cross/arm64/usr/bin/boinc"
wait_for 600 "the Windows host takes its work unit" sent tidewrack_wu_windows_x86_64
wait_for 600 "the aarch64 host takes its work unit" sent tidewrack_wu_aarch64-unknown-linux-gnu
echo "every host has its task: $(seconds_since "$t_hosts") s"
for name in armhf windows aarch64; do
  echo "$name host asks for:" $(awk '/<platform_name>/ { print } /<alt_platform>/ { getline; print }' \
    "$work/hosts/$name"/sched_request_*.xml 2>/dev/null | sed 's/<[^>]*>//g')
done

# The demo waits until every result is over; the stand-in hosts are nudged here.
while kill -0 "$demo_pid" 2>/dev/null; do
  for name in "${!host_pid[@]}"; do host_cmd "$name" --project "$url" update > /dev/null 2>&1; done
  sleep 10
done
wait "$demo_pid"; status=$?; demo_pid=""
[ "$status" = 0 ] || give_up "demo_project.sh ended with status $status"
sed -n '/^work unit/,$p' "$work/demo.log"

# ---- what the project holds --------------------------------------------------------
# CPU time as the client reported it and as the program's report gives it: a
# Windows program under Wine cannot reach the Linux client's shared memory, so
# that client hears no CPU time from it.
printf '%-28s %-5s %-5s %-7s %-10s %-10s %-10s %s\n' platform host valid credit "CPU s" "report CPU" "elapsed s" report
hosts=""
for platform in x86_64-pc-linux-gnu windows_x86_64 aarch64-unknown-linux-gnu arm-unknown-linux-gnueabihf; do
  rows=$(sql "select r.hostid, r.validate_state, round(r.granted_credit, 2), round(r.cpu_time, 1),
    round(r.elapsed_time, 1), w.assimilate_state, w.id from result r join workunit w on w.id = r.workunitid
    where r.server_state = 5 and r.outcome = 1 and r.app_version_id = ${version_of[$platform]}")
  [ "$(grep -c . <<< "$rows")" = 1 ] || { fail "$platform: $(grep -c . <<< "$rows") results on its version (want 1)"; continue; }
  IFS=$'\t' read -r hostid state credit cpu elapsed assimilated wu_id <<< "$rows"
  kept=$project/results/wu_$wu_id.txt
  report=missing
  [ -f "$kept" ] && report=$("$source_dir/tools/kit/validate_report.py" "$kept" > /dev/null 2>&1 && echo complete || echo refused)
  report_cpu=$(tr -d '\r' < "$kept" 2>/dev/null | sed -n 's/^APP: CPU time: \([0-9.]*\) seconds.*/\1/p' | tail -n 1)
  printf '%-28s %-5s %-5s %-7s %-10s %-10.1f %-10s %s\n' "$platform" "$hostid" "$state" "$credit" "$cpu" "${report_cpu:-0}" \
    "$elapsed" "$report"
  [ "$state" = 1 ] || fail "$platform: validate_state $state (want 1, valid)"
  awk -v c="$credit" 'BEGIN { exit !(c > 0) }' || fail "$platform: granted credit $credit"
  [ "$assimilated" = 2 ] && [ "$report" = complete ] || fail "$platform: assimilate_state $assimilated, kept report $report"
  tr -d '\r' < "$kept" 2>/dev/null | grep -q "^WU Name:  $(sql "select name from workunit where id = $wu_id") *\$" ||
    fail "$platform: the kept report is not its work unit's"
  hosts+="$hostid "
done
[ "$(tr ' ' '\n' <<< "$hosts" | grep . | sort -u | wc -l)" = 4 ] || fail "the four results came from hosts $hosts"
