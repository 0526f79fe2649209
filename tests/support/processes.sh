# Shell helpers for the tests that start a whole project (source this file).

# our_processes DIR: every process but this shell whose program, working
# directory or command line is in DIR.
our_processes() {
  local p
  for p in /proc/[0-9]*; do
    [ "${p#/proc/}" = $$ ] && continue
    if readlink "$p/exe" "$p/cwd" 2>/dev/null | grep -q "^$1/" ||
       { tr '\0' ' ' < "$p/cmdline"; } 2>/dev/null | grep -q "$1/"; then
      echo "${p#/proc/}"
    fi
  done
}

# no_process_left DIR: kills what is left in DIR, and says whether anything was.
no_process_left() {
  local left p
  left=$(our_processes "$1")
  [ -z "$left" ] && { echo "ok: no process left"; return 0; }
  echo "FAIL: processes left after the stop:"
  for p in $left; do echo "  $p $({ tr '\0' ' ' < "/proc/$p/cmdline"; } 2>/dev/null)"; kill -KILL "$p" 2>/dev/null; done
  return 1
}
