#!/bin/bash
# demo_project.sh [--dir DIR] [--build BUILD] [--jobs N] [--port HTTP] [--db-port DB] [--gui-port GUI]
#                 [--timeout S] [--platforms all|LIST] [--keep]
# demo_project.sh [--dir DIR] [--jobs N] --new-version
# demo_project.sh [--dir DIR] --work N
# demo_project.sh [--dir DIR] --stop
# demo_project.sh [--dir DIR] [--build BUILD] [ports...] [--keep] --faults
# demo_project.sh --help
#
# A whole BOINC project on this machine, in one command: builds BOINC's server
# (tools/server/build_server.sh) and Tidewrack if they are missing, packs the
# kit (tools/kit/package.sh), starts MariaDB and Apache of our own on 127.0.0.1
# (tools/server/services.sh), makes the project "tidewrack" at
# http://127.0.0.1:HTTP/tidewrack/ (default 18080), deploys the kit by the
# steps of the kit's README, creates N work units (default 2), starts the
# daemons, attaches a fresh BOINC client with an account made through the
# project's own account creation, and waits until every result is validated
# and credited. Then it prints one line per result and the volunteer's credit.
#
# Everything lives in DIR (default build/demo-project); the programs are in
# BUILD (default build), the server's in BUILD/boinc-server. A run gives up
# when its results are not over after S seconds (default 1200). --platforms
# packs and publishes those app versions (tools/kit/package.sh --platforms; default
# this machine's x86_64-pc-linux-gnu only). Without --keep it all
# stops at the end; with --keep the project keeps running:
#   --new-version  publishes the same program as the next app version and runs
#                  N more work units (default 1) on it;
#   --work N       creates N more work units for the clients to take;
#   --stop         stops the daemons, the clients and the services, by pid.
# --faults makes the project afresh and runs the fault run of
# tools/server/faults.sh instead of the two work units: hosts killed,
# the web server, the database and the validator stopped, a forged report,
# and a table of what each did to its work unit.
set -euo pipefail
cd "$(dirname "$0")/../.."
repo=$(pwd)

dir=$repo/build/demo-project
build=$repo/build
jobs=""; mode=run; keep=0; timeout=1200; platforms=x86_64-pc-linux-gnu
http_port=18080; db_port=13306; gui_port=31460
while [ $# -gt 0 ]; do
  case $1 in
    --dir) dir=$(realpath -m "$2"); shift 2 ;;
    --build) build=$(realpath -m "$2"); shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --timeout) timeout=$2; shift 2 ;;
    --platforms) platforms=$2; shift 2 ;;
    --port) http_port=$2; shift 2 ;;
    --db-port) db_port=$2; shift 2 ;;
    --gui-port) gui_port=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    --new-version) mode=new-version; shift ;;
    --stop) mode=stop; shift ;;
    --work) mode=work; jobs=$2; shift 2 ;;
    --faults) mode=faults; shift ;;
    --help) sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
    *) echo "usage: tools/server/demo_project.sh --help" >&2; exit 2 ;;
  esac
done

app=tidewrack
project=$dir/project
kit=$dir/kit
client=$dir/client
server=$build/boinc-server/boinc-7.20.5
host=$(hostname -s)   # bin/start runs only the daemons of this host
export USER=${USER:-$(id -un)}   # make_project reads it
# BOINC's Python tools begin "#!/usr/bin/env python": run them with Debian's
# python3, which has MySQLdb, whatever else is first on PATH.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin

# ---- helpers ----------------------------------------------------------------
step_start=0
step() { step_start=$EPOCHREALTIME; printf '%-22s ' "$1"; }
done_step() { awk -v m="$1" -v a="$step_start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%s (%.1f s)\n", m, b - a }'; }
fail() { echo; echo "demo_project.sh: $*" >&2; exit 1; }
sql() { mariadb --no-defaults -h127.0.0.1 -P"$db_port" -uboincadm -pboincadm -N -B "boinc_$app" -e "$1"; }
boinccmd_() { boinccmd --host "127.0.0.1:$gui_port" --passwd demo "$@"; }
project_url() { echo "http://127.0.0.1:$http_port/$app/"; }

save_settings() {
  mkdir -p "$dir"
  chmod 755 "$dir"   # the web server's workers (www-data) go through it
  printf 'http_port=%s\ndb_port=%s\ngui_port=%s\nplatforms=%s\n' "$http_port" "$db_port" "$gui_port" "$platforms" \
    > "$dir/demo.env"
}
load_settings() {
  [ -f "$dir/demo.env" ] || fail "no project in $dir (run tools/server/demo_project.sh --keep first)"
  # shellcheck disable=SC1091
  source "$dir/demo.env"
}

# ---- stopping, by pid ---------------------------------------------------------
stop_pid() {   # stop_pid PID: TERM, then KILL after 30 s
  kill -0 "$1" 2>/dev/null || return 0
  kill -TERM "$1" 2>/dev/null || true
  for _ in $(seq 150); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.2; done
  kill -KILL "$1" 2>/dev/null || true
}
task_pids() {   # the tasks our client started: their programs are in its project directory
  local p
  for p in /proc/[0-9]*; do
    case $(readlink "$p/exe" 2>/dev/null) in "$client"*/projects/*) echo "${p#/proc/}" ;; esac
  done
}
stop_all() {
  local f p
  if [ -x "$project/bin/stop" ]; then
    (cd "$project" && python3 bin/stop > /dev/null 2>&1) || true
    for f in "$project"/pid_"$host"/*.pid; do
      [ -f "$f" ] && stop_pid "$(cat "$f")"
    done
  fi
  for f in "$dir"/run/client*.pid; do
    [ -f "$f" ] && stop_pid "$(cat "$f")"
    rm -f "$f"
  done
  for p in $(task_pids); do stop_pid "$p"; done
  bash tools/server/services.sh stop "$dir" > /dev/null
}

# ---- the pieces -------------------------------------------------------------------
build_server() {
  bash tools/server/build_server.sh "" "$build/boinc-server" | sed 's/^/  /'
}

build_program() {
  step "Tidewrack build"
  if [ -x "$build/tidewrack" ] && [ -x "$build/tidewrack_graphics" ]; then done_step "kept $build"; return; fi
  [ "$build" = "$repo/build" ] || fail "no Tidewrack build in $build"
  nice -n 10 bash tools/build/build.sh
  done_step "built into build/"
}

pack_kit() {   # pack_kit [VERSION]
  step "kit"
  bash tools/kit/package.sh --from "$build" --platforms "$platforms" ${1:+--version "$1"} "$kit" \
    > "$dir/package.log" 2>&1 ||
    { cat "$dir/package.log"; fail "tools/kit/package.sh failed"; }
  done_step "packed $(basename "$(echo "$kit"/apps/$app/*/)" | tail -n 1) into $kit"
}

start_services() {
  bash tools/server/services.sh start "$dir" "$http_port" "$db_port" | sed 's/^/  /'
}

make_project_dir() {
  step "make_project"
  [ -x "$project/bin/stop" ] && (cd "$project" && python3 bin/stop > /dev/null 2>&1 || true)
  # --no_query, --delete_prev_inst and --drop_db_first: no questions, and
  # a second run starts afresh.
  (cd "$server/tools" && nice -n 10 python3 ./make_project --srcdir "$server" --no_query \
      --delete_prev_inst --drop_db_first \
      --url_base "http://127.0.0.1:$http_port/" --project_root "$project" --project_host "$host" \
      --db_host "127.0.0.1:$db_port" --db_user boincadm --db_passwd boincadm --db_name "boinc_$app" \
      "$app" "Tidewrack") > "$dir/make_project.log" 2>&1 ||
    { tail -n 30 "$dir/make_project.log"; fail "make_project failed"; }
  done_step "$project"
}

configure_project() {
  step "config.xml"
  python3 - "$project/config.xml" <<'EOF'
import sys, xml.etree.ElementTree as ET
path = sys.argv[1]
tree = ET.parse(path)
config = tree.getroot().find('config')
def option(name, value):
    e = config.find(name)
    if e is None:
        e = ET.SubElement(config, name)
    e.text = value
# a demo answers at once: no minimum time between requests, short delays
option('min_sendwork_interval', '0')
option('next_rpc_delay', '10')
option('daily_result_quota', '500')
option('disable_account_creation', '0')
option('disable_account_creation_rpc', '0')
for task in tree.getroot().find('tasks'):   # no periodic tasks
    ET.SubElement(task, 'disabled').text = '1'
tree.write(path)
EOF
  done_step "fast scheduling, account creation on, no periodic tasks"
}

publish_web() {
  step "web"
  # 7.20.5's make_project writes the master page's scheduler link with the
  # text "url" for its address; clients then try "url" every other request.
  sed -i "s|href=\"url\"\"|href=\"$(project_url | sed 's:/$::')_cgi/cgi\"|" "$project/html/user/schedulers.txt"
  cp "$project/$app.httpd.conf" "$dir/apache/conf.d/$app.conf"
  # make_project leaves the folders the scheduler and the upload handler write
  # (upload, log_HOST, html/cache...) 02770 root:root; they run as www-data.
  find "$project" -type d -perm -2000 -exec chgrp -R www-data {} +
  bash tools/server/services.sh start "$dir" "$http_port" "$db_port" > /dev/null
  curl -fsS -o /dev/null "$(project_url)" || fail "$(project_url) does not answer"
  done_step "$(project_url)"
}

# The kit's README, step 1: the application, and the app version signed by
# update_versions with the project's code-signing key.
deploy_app_version() {
  step "README 1: app version"
  # The application, and the kit's platforms that make_project's list lacks
  # (arm-unknown-linux-gnueabihf): update_versions adds no version for those.
  if python3 - "$project/project.xml" "$kit/apps/$app"/*/ <<'EOF'
import os, sys, xml.etree.ElementTree as ET
path = sys.argv[1]
tree = ET.parse(path)
root = tree.getroot()
names = {e.findtext('name') for e in root}
added = []
if 'tidewrack' not in names:
    a = ET.SubElement(root, 'app')
    ET.SubElement(a, 'name').text = 'tidewrack'
    ET.SubElement(a, 'user_friendly_name').text = 'Tidewrack'
    added.append('tidewrack')
for platform in sorted({p for version in sys.argv[2:] for p in os.listdir(version)} - names):
    p = ET.SubElement(root, 'platform')
    ET.SubElement(p, 'name').text = platform
    ET.SubElement(p, 'user_friendly_name').text = platform
    added.append(platform)
tree.write(path)
sys.exit(0 if added else 1)
EOF
  then
    (cd "$project" && bin/xadd > "$dir/xadd.log" 2>&1) || { cat "$dir/xadd.log"; fail "bin/xadd failed"; }
  fi
  cp -r "$kit/apps/$app" "$project/apps/"
  # It asks before signing with the key on the server, and before adding.
  (cd "$project" && yes y | bin/update_versions > "$dir/update_versions.log" 2>&1) || true
  [ "$(grep -c 'App version added successfully' "$dir/update_versions.log")" = "$(ls "$(ls -d "$kit/apps/$app"/*/ | sort -V | tail -n 1)" | grep -c .)" ] ||
    { cat "$dir/update_versions.log"; fail "bin/update_versions did not add every platform's app version"; }
  done_step "version $(sql "select max(version_num) from app_version") signed and added for $(sql "select
    count(*) from app_version where version_num = (select max(version_num) from app_version)") platform(s)"
}

# README step 2: the templates, and work.
create_work() {   # create_work N
  local i first n
  step "README 2: work"
  cp "$kit/templates/${app}_in" "$kit/templates/${app}_out" "$project/templates/"
  first=$(( $(sql "select count(*) from workunit") + 1 ))
  for i in $(seq "$first" $((first + $1 - 1))); do
    (cd "$project" && bin/create_work --appname "$app" --wu_name "${app}_wu_$i" \
        --wu_template "templates/${app}_in" --result_template "templates/${app}_out") ||
      fail "create_work failed"
  done
  n=$(sql "select count(*) from workunit")
  done_step "work units ${app}_wu_$first to ${app}_wu_$n"
}

# README step 3: validate_report.py under script_validator, an assimilator
# that keeps the reports in PROJECT/results (private: they hold authenticators).
deploy_daemons() {
  step "README 3: daemons"
  install -m 755 "$kit/validate_report.py" "$project/bin/validate_report.py"
  cat > "$project/bin/keep_report" <<'EOF'
#!/bin/sh
# script_assimilator calls: keep_report WU_ID FILE, or keep_report --error N WU_ID
results=$(dirname "$0")/../results
mkdir -p -m 700 "$results"
if [ "$1" = --error ]; then echo "error $2" > "$results/wu_$3.error"; exit 0; fi
cp "$2" "$results/wu_$1.txt"
EOF
  chmod 755 "$project/bin/keep_report"
  python3 - "$project/config.xml" <<'EOF'
import sys, xml.etree.ElementTree as ET
path = sys.argv[1]
tree = ET.parse(path)
daemons = tree.getroot().find('daemons')
for d in list(daemons):
    daemons.remove(d)
for cmd in ['feeder -d 3 --sleep_interval 1',
            'transitioner -d 3 --sleep_interval 1',
            'file_deleter -d 3 --sleep_interval 5',
            'script_validator -d 3 --sleep_interval 1 --app tidewrack --init_script "validate_report.py result_id files"',
            'script_assimilator -d 3 --sleep_interval 1 --app tidewrack --script "keep_report wu_id files"']:
    ET.SubElement(ET.SubElement(daemons, 'daemon'), 'cmd').text = cmd
tree.write(path)
EOF
  (cd "$project" && python3 bin/start > "$dir/start.log" 2>&1) || { cat "$dir/start.log"; fail "bin/start failed"; }
  # The first request must find work: wait until the feeder has it.
  for _ in $(seq 80); do
    (cd "$project/bin" && ./show_shmem 2>/dev/null) | grep -q " $app " && break
    sleep 0.25
  done
  (cd "$project/bin" && ./show_shmem 2>/dev/null) | grep -q " $app " || fail "the feeder has no work"
  done_step "feeder, transitioner, file_deleter, script_validator, script_assimilator"
}

# README step 5: the Simple view's slideshow and icon, as project files.
publish_slideshow() {
  local download_url
  step "README 5: slideshow"
  download_url=$(sed -n 's:.*<download_url>\(.*\)</download_url>.*:\1:p' "$project/config.xml")
  cp "$kit"/slideshow/*.png "$project/download/"
  sed "s|@DOWNLOAD_URL@|$download_url|g" "$kit/slideshow/project_files.xml" > "$project/project_files.xml"
  done_step "$(grep -c '<open_name>' "$project/project_files.xml") pictures in project_files.xml"
}

new_client() {   # new_client DIR [NCPUS]: a client's empty data directory
  rm -rf "$1"; mkdir -p -m 700 "$1"; mkdir -p "$dir/run"
  echo demo > "$1/gui_rpc_auth.cfg"
  # Only loopback: no connectivity probe to an outside site.
  cat > "$1/cc_config.xml" <<EOF
<cc_config>
  <log_flags><sched_op_debug/><file_xfer/><task/></log_flags>
  <options>
    ${2:+<ncpus>$2</ncpus>}
    <report_results_immediately>1</report_results_immediately>
    <dont_contact_ref_site>1</dont_contact_ref_site>
    <network_test_url>$(project_url)</network_test_url>
  </options>
</cc_config>
EOF
  # Compute whatever else the machine does (the default suspends above 25 %).
  # A checkpoint every 10 s: a host that stops loses little.
  cat > "$1/global_prefs_override.xml" <<'EOF'
<global_preferences>
  <disk_interval>10</disk_interval>
  <run_if_user_active>1</run_if_user_active>
  <suspend_cpu_usage>0</suspend_cpu_usage>
  <idle_time_to_run>0</idle_time_to_run>
  <work_buf_min_days>0.01</work_buf_min_days>
  <work_buf_additional_days>0.01</work_buf_additional_days>
  <max_ncpus_pct>100</max_ncpus_pct>
  <cpu_usage_limit>100</cpu_usage_limit>
</global_preferences>
EOF
}
launch_client() {   # launch_client DIR PORT [OPTION...]: the client, its pid in run/, GUI RPC on PORT
  local d=$1 port=$2
  shift 2
  (cd "$d" && exec boinc --dir "$d" --gui_rpc_port "$port" --allow_multiple_clients \
      --no_gpus --no_info_fetch --redirectio "$@" < /dev/null > /dev/null 2>&1) &
  echo $! > "$dir/run/$(basename "$d").pid"
  disown $!   # stopped by pid, and killed on purpose in the fault run
  for _ in $(seq 80); do boinccmd --host "127.0.0.1:$port" --passwd demo --get_cc_status > /dev/null 2>&1 && break; sleep 0.25; done
  boinccmd --host "127.0.0.1:$port" --passwd demo --set_run_mode always > /dev/null
}
start_client() {
  step "client"
  new_client "$client"
  launch_client "$client" "$gui_port"
  boinccmd_ --set_network_mode always > /dev/null
  done_step "pid $(cat "$dir/run/client.pid"), GUI RPC 127.0.0.1:$gui_port"

  # The CPU benchmarks, as a volunteer's client has them before it asks for
  # work: the first run-time estimate is rsc_fpops_est over their result.
  # (A new client runs them only after its first tasks.)
  step "benchmarks"
  boinccmd_ --run_benchmarks > /dev/null
  # They run at idle priority: on a busy machine they can take minutes.
  for _ in $(seq 600); do
    grep -q 'Benchmark results' "$client/stdoutdae.txt" 2>/dev/null && sleep 1 && break
    sleep 0.5
  done
  if grep -q 'Benchmark results' "$client/stdoutdae.txt"; then
    done_step "$(sed -n 's/.*\] *\([0-9]* floating point MIPS.*\)/\1/p' "$client/stdoutdae.txt" | tail -n 1)"
  else
    done_step "not done after 300 s: estimates from the client's default 1e9 FLOPS"
  fi

  step "account"
  local out key
  out=$(boinccmd_ --create_account "$(project_url)" volunteer@example.com secret "Ada Lovelace")
  key=$(echo "$out" | sed -n 's/^account key: //p')
  [ -n "$key" ] || fail "create_account failed: $out"
  boinccmd_ --project_attach "$(project_url)" "$key" > /dev/null
  done_step "made by the project's create_account, client attached"
}

# Waits until every work unit's results are over: validated (or found
# invalid) and credited.
# Notes each task's first run-time estimate, as the client showed it.
wait_for_results() {
  local deadline=$((SECONDS + timeout)) left shown="" pending name est start=$SECONDS
  step "results"
  echo
  touch "$dir/estimates.txt"
  while :; do
    boinccmd_ --get_tasks 2>/dev/null | awk '
      /^   name: / { name = $2 }
      /estimated CPU time remaining:/ { print name, $NF }' |
      while read -r name est; do
        grep -q "^$name " "$dir/estimates.txt" || echo "$name $est" >> "$dir/estimates.txt"
      done
    # Pending: a task out, a result to validate or assimilate, a work unit
    # without a returned result. (A replica made after an invalid result
    # counts once the client has taken it.)
    pending=$(sql "select (select count(*) from result where server_state = 4)
        + (select count(*) from result where server_state = 5 and outcome = 1 and validate_state = 0)
        + (select count(*) from workunit where canonical_resultid > 0 and assimilate_state <> 2)
        + (select count(*) from workunit w where not exists
             (select 1 from result r where r.workunitid = w.id and r.server_state = 5))")
    left=$(sql "select concat(sum(server_state = 2), ' unsent, ', sum(server_state = 4), ' in progress, ',
        sum(server_state = 5 and outcome = 1 and validate_state = 0), ' to validate') from result")
    [ "$left" = "$shown" ] || { printf '  %4d s  %s\n' $((SECONDS - start)) "$left"; shown=$left; }
    [ "$pending" = 0 ] && break
    [ $SECONDS -lt $deadline ] || { tail -n 20 "$client/stdoutdae.txt"; fail "results not done in time"; }
    # Cut the client's back-off: ask it to contact the project now.
    [ $((SECONDS % 5)) = 0 ] && boinccmd_ --project "$(project_url)" update > /dev/null 2>&1 || true
    sleep 1
  done
  printf '%-22s ' "results"
  done_step "all over"
}

print_table() {
  echo
  printf '%-16s %-7s %-4s %-10s %-9s %-12s %s\n' "work unit" version host "estimate" "CPU time" "validate" "credit"
  sql "select w.name, ifnull(a.version_num, 0), r.hostid, r.name, round(r.cpu_time, 1),
       case r.validate_state when 0 then 'initial' when 1 then 'valid' when 2 then 'invalid'
         when 3 then 'no check' when 4 then 'inconclusive' when 5 then 'too late' end,
       round(r.granted_credit, 2)
       from result r join workunit w on w.id = r.workunitid left join app_version a on a.id = r.app_version_id
       order by r.id" |
    while IFS=$'\t' read -r wu version hostid result cpu state credit; do
      est=$(awk -v r="$result" '$1 == r { printf "%.1f s", $2 }' "$dir/estimates.txt")
      printf '%-16s %-7s %-4s %-10s %-9s %-12s %s\n' "$wu" "$version" "$hostid" "${est:--}" "$cpu s" "$state" "$credit"
    done
  printf '\nvolunteer %s: total credit %s\n' "$(sql "select name from user limit 1")" \
    "$(sql "select round(total_credit, 2) from user limit 1")"
}

next_version() {   # the highest version in the project, plus 0.01
  sql "select max(version_num) + 1 from app_version" | awk '{ printf "%d.%02d", int($1 / 100), $1 % 100 }'
}

# ---- the modes ----------------------------------------------------------------------
case $mode in
  stop)
    load_settings
    step "stop"; stop_all; done_step "project daemons, client and services stopped"
    ;;
  new-version)
    load_settings
    version=$(next_version)
    pack_kit "$version"
    deploy_app_version
    create_work "${jobs:-1}"
    # The feeder rereads the app versions when update_versions touches reread_db.
    boinccmd_ --project "$(project_url)" update > /dev/null
    wait_for_results
    print_table
    ;;
  work)
    load_settings
    [[ $jobs =~ ^[1-9][0-9]*$ ]] || fail "--work needs a number of work units"
    create_work "$jobs"
    # The client asks at once, after the feeder's next pass, instead of at
    # its next scheduled request.
    sleep 3
    boinccmd_ --project "$(project_url)" update > /dev/null 2>&1 || true
    ;;
  run|faults)
    save_settings
    rm -f "$dir/estimates.txt"
    t0=$EPOCHREALTIME
    trap 'status=$?; if [ $status != 0 ] || [ $keep = 0 ]; then echo "stopping..."; stop_all; fi' EXIT
    build_server
    build_program
    pack_kit
    start_services
    make_project_dir
    configure_project
    publish_web
    deploy_app_version
    create_work "${jobs:-$([ $mode = run ] && echo 2 || echo 1)}"
    deploy_daemons
    publish_slideshow
    if [ $mode = faults ]; then
      # shellcheck source=server/faults.sh
      source tools/server/faults.sh
      run_faults
      exit 0
    fi
    start_client
    wait_for_results
    print_table
    awk -v a="$t0" -v b="$EPOCHREALTIME" 'BEGIN { printf "\nwhole run: %.1f s\n", b - a }'
    if [ $keep = 1 ]; then
      echo "The project runs at $(project_url)"
      echo "  next version: bash tools/server/demo_project.sh --dir $dir --new-version"
      echo "  stop it:      bash tools/server/demo_project.sh --dir $dir --stop"
    fi
    ;;
esac
