#!/bin/bash
# real_client_test.sh app-version|anonymous BUILD_DIR SOURCE_DIR
# The kit that tools/kit/package.sh writes, under the real BOINC client.
#   app-version: the client runs a task of the kit's app version (as the
#     project's server would send it) to the end; the computation maps the
#     shipped libboinc_api.so.7 from the slot, where the client copied it, the
#     GUI RPC offers the graphics program, which, started as the Manager
#     starts it with the system's copies of the shipped libraries hidden, maps
#     them from the slot; out.txt holds a complete report.
#   anonymous: the client runs the kit's anonymous/x86_64-pc-linux-gnu/ files
#     (app_info.xml): the task starts and offers the graphics program.
set -u
mode=$1; build_dir=$(realpath "$2"); source_dir=$(realpath "$3")
support=$source_dir/tests/support/boinc_client.py
boinc=$(command -v boinc) || { echo "SKIP: the BOINC client (boinc) is not installed"; exit 0; }
work=$(realpath "$(mktemp -d "${TMPDIR:-/tmp}/tidewrack-kit-XXXXXX")")
client_pid=""; task_pid=""; graphics_pid=""
failures=0

stop() {   # stop PID: ends a process this test started, and waits for it
  [ -n "$1" ] && kill -0 "$1" 2>/dev/null || return 0
  kill "$1" 2>/dev/null
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  kill -9 "$1" 2>/dev/null
}
cleanup() {
  stop "$graphics_pid"; stop "$client_pid"; stop "$task_pid"
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
give_up() {
  echo "FAIL: $*"
  echo "--- client log (last lines)"; grep -v '^$\|Authorization required' "$work/client.log" | tail -n 30
  for f in "$work"/client/slots/0/stderr.txt; do [ -f "$f" ] && { echo "--- $f"; tail -n 20 "$f"; }; done
  exit 1
}

bash "$source_dir/tools/kit/package.sh" --from "$build_dir" "$work/kit" > "$work/package.log" 2>&1 ||
  { cat "$work/package.log"; give_up "tools/kit/package.sh failed"; }
version_dir=$(echo "$work"/kit/apps/tidewrack/*/x86_64-pc-linux-gnu)
[ -f "$version_dir/version.xml" ] || give_up "no version.xml in the kit"
physical_name() {   # physical_name LOGICAL_NAME: the app version's file of that logical name
  grep -B1 "<logical_name>$1</logical_name>" "$version_dir/version.xml" |
    sed -n 's/.*<physical_name>\(.*\)<\/physical_name>.*/\1/p'
}
graphics_name=$(physical_name graphics_app)
module_name=$(physical_name tidewrack_display.so)
# under their SONAME, the logical name they are copied into the slot under
shipped_libraries=$(sed -n 's/.*<logical_name>\(lib.*\.so\..*\)<\/logical_name>.*/\1/p' "$version_dir/version.xml")
slot_dir=$work/client/slots/0

if [ "$mode" = anonymous ]; then source=(--anonymous "$work/kit/anonymous/x86_64-pc-linux-gnu"); else source=(--app-version "$version_dir"); fi
{ read -r project_dir; read -r output_file; } < <(python3 "$support" layout "$work/client" "${source[@]}")
port=$(python3 "$support" free-port)
"$boinc" --dir "$work/client" --no_gpus --skip_cpu_benchmarks --no_info_fetch --gui_rpc_port "$port" \
  > "$work/client.log" 2>&1 &
client_pid=$!
disown "$client_pid"

# The task as the Manager sees it: name, state, exit status, pid, slot, graphics program.
task_line() { python3 "$support" results "$port" 2>/dev/null | head -n 1; }
for _ in $(seq 120); do
  IFS=$'\t' read -r _ state exit_status task_pid slot_path graphics_path <<< "$(task_line)"
  [ -n "$task_pid" ] && [ "$task_pid" != 0 ] && break
  task_pid=""
  kill -0 "$client_pid" 2>/dev/null || give_up "the client ended"
  sleep 0.5
done
[ -n "$task_pid" ] || give_up "the task did not start within 60 s"
echo "task started: pid $task_pid"

# The files of the kit among those `binary` needs (all if it is omitted)
# that process `pid` does not map from directory `dir` within 20 s.
unmapped() {   # unmapped PID DIR FILES [BINARY]
  local pid=$1 dir=$2 files=$3 needed="" missing=""
  [ -n "${4:-}" ] && needed=$(ldd "$4" | awk '{ print $1 }')
  for _ in $(seq 100); do
    missing=""
    for file in $files; do
      [ -z "$needed" ] || grep -qx "$file" <<< "$needed" || continue
      grep -q " $dir/$file\$" "/proc/$pid/maps" 2>/dev/null || missing+=" $file"
    done
    [ -z "$missing" ] && break
    sleep 0.2
  done
  echo "$missing"
}

# The computation: BOINC's API library from the slot, and the display module
# from the project directory with the libraries it needs from the slot.
missing=$(unmapped "$task_pid" "$slot_dir" libboinc_api.so.7)
[ -z "$missing" ] || fail "the computation does not map$missing from the slot"
if [ -n "$module_name" ]; then
  missing=$(unmapped "$task_pid" "$project_dir" "$module_name")
  [ -z "$missing" ] || fail "the computation does not map$missing from the project directory"
  missing=$(unmapped "$task_pid" "$slot_dir" "$shipped_libraries" "$project_dir/$module_name")
  [ -z "$missing" ] || fail "the computation does not map$missing from the slot"
fi

if [ -z "$graphics_name" ]; then
  fail "the kit has no graphics program (graphics_app)"
else
  [ "$graphics_path" = "$project_dir/$graphics_name" ] ||
    fail "get_results offers graphics program '$graphics_path', not $project_dir/$graphics_name"
  [ "$slot_path" = "$work/client/slots/0" ] || fail "get_results gives slot '$slot_path'"
  if [ "$mode" = app-version ]; then
    if [ -z "${DISPLAY:-}" ] || [ "$(id -u)" != 0 ] || ! command -v unshare > /dev/null; then
      echo "NOT CHECKED: the graphics program's libraries (needs DISPLAY, root and unshare)"
    else
      # Started as the Manager starts it: in the slot, no arguments, no
      # LD_LIBRARY_PATH; the system's copies of what the kit ships are hidden.
      hide=""
      for library in $shipped_libraries; do
        for path in $(/sbin/ldconfig -p | awk -v n="$library" '$1 == n { print $NF }'); do
          hide+="mount --bind /dev/null '$path' && "
        done
      done
      (cd "$slot_path" && exec env -u LD_LIBRARY_PATH unshare -m bash -c "$hide exec '$graphics_path'") \
        > "$work/graphics.log" 2>&1 &
      graphics_pid=$!
      disown "$graphics_pid"
      missing=$(unmapped "$graphics_pid" "$slot_dir" "$shipped_libraries" "$graphics_path")
      [ -z "$missing" ] || fail "the graphics program does not map from the slot:$missing ($(cat "$work/graphics.log"))"
      stop "$graphics_pid"
    fi
  fi
fi

if [ "$mode" = app-version ]; then
  # To the end: the client uploads out.txt (state 4, FILES_UPLOADING; the
  # upload fails, nothing listens) once the task has ended with status 0.
  for _ in $(seq 1080); do
    IFS=$'\t' read -r _ state exit_status _ <<< "$(task_line)"
    [ -n "$state" ] && [ "$state" -ge 3 ] && break
    sleep 0.5
  done
  [ "$state" = 4 ] && [ "$exit_status" = 0 ] ||
    give_up "the task did not end well within 540 s: state '$state', exit status '$exit_status'"
  "$source_dir/tools/kit/validate_report.py" "$output_file" || fail "the uploaded out.txt is not a complete report"
  grep -q '^User: Ada Lovelace ' "$output_file" || fail "out.txt does not carry the client's user"
fi

[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "passed ($mode)"
