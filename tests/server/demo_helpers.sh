# demo_helpers.sh: sourced by the tests that drive tools/server/demo_project.sh. They
# set work, demo, demo_pid and failures; more_logs, where defined, prints what
# else a failure should show.
# skip_without_project_tools [TOOL...]: ends the test with SKIP where what a
# local project runs on, or one of the TOOLs named, is not installed.
skip_without_project_tools() {
  local tool
  for tool in mariadbd mariadb-install-db apache2 php boinc boinccmd curl "$@"; do
    command -v "$tool" > /dev/null || { echo "SKIP: $tool is not installed (tools/build/install_deps.sh)"; exit 0; }
  done
  python3 -c 'import MySQLdb' 2> /dev/null || { echo "SKIP: python3-mysqldb is not installed"; exit 0; }
}
# skip_without_server_build: SKIP where there is neither a server build in
# $build_dir nor the autotools to make one.
skip_without_server_build() {
  [ -x "$build_dir/boinc-server/boinc-7.20.5/sched/cgi" ] || command -v autoreconf > /dev/null ||
    { echo "SKIP: no server build and no autotools to make one"; exit 0; }
}
give_up() {
  echo "FAIL: $*"; failures=$((failures + 1))
  echo "--- demo"; tail -n 30 "$work/demo.log" 2>/dev/null
  echo "--- client"; tail -n 20 "$demo/client/stdoutdae.txt" 2>/dev/null
  ! declare -F more_logs > /dev/null || more_logs
  exit 1
}
wait_for() {   # wait_for SECONDS WHAT COMMAND...: until COMMAND succeeds
  local limit=$((SECONDS + $1)) what=$2
  shift 2
  until "$@"; do
    [ $SECONDS -lt $limit ] || give_up "$what: not within the time"
    [ -z "$demo_pid" ] || kill -0 "$demo_pid" 2>/dev/null || give_up "$what: the demo ended"
    sleep 0.5
  done
}

# Every process that belongs to DIR: its program, working directory, command
# line or Wine prefix is there.
processes_in() {
  local p
  for p in /proc/[0-9]*; do
    [ "${p#/proc/}" = $$ ] && continue
    if readlink "$p/exe" "$p/cwd" 2>/dev/null | grep -q "^$1/" ||
       { tr '\0' ' ' < "$p/cmdline"; } 2>/dev/null | grep -q "$1/" ||
       { tr '\0' '\n' < "$p/environ"; } 2>/dev/null | grep -q "^WINEPREFIX=$1/"; then
      echo "${p#/proc/}"
    fi
  done
}
no_process_left() {   # no_process_left DIR: a failure for each one left, killed
  local left p
  left=$(processes_in "$1")
  if [ -n "$left" ]; then
    echo "FAIL: processes left after the stop:"
    for p in $left; do echo "  $p $({ tr '\0' ' ' < "/proc/$p/cmdline"; } 2>/dev/null)"; kill -KILL "$p" 2>/dev/null; done
    failures=$((failures + 1))
  else
    echo "ok: no process left"
  fi
}
