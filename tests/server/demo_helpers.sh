# demo_helpers.sh: sourced by the tests that drive tools/server/demo_project.sh. They
# set work, demo, demo_pid and failures; more_logs, where defined, prints what
# else a failure should show.
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
