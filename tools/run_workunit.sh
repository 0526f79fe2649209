#!/bin/bash
# Runs one work unit from scratch the way the BOINC client does: installs what
# is missing, builds, prepares a fresh slot in ./run and runs the program there
# under the client runner, with a progress display. With a display ($DISPLAY
# set) the sky is shown by the graphics program in the slot, as a volunteer's
# "Show graphics" shows it; --in-process shows the computation's own window
# instead. Without a display only the computation runs.
# Ctrl+C asks the program to quit at once; tools/run_workunit.sh --resume goes
# on from the last checkpoint.
# Other options are passed to the runner (build/tidewrack_client --help).
set -euo pipefail
cd "$(dirname "$0")/.."

fresh=(--fresh)
in_process=no
while [ $# -gt 0 ]; do
  case "$1" in
    --resume) fresh=() ;;
    --in-process) in_process=yes ;;
    *) break ;;
  esac
  shift
done

bash tools/build/install_deps.sh run
echo "Building (log in build.log)..."
# Only what a work unit runs: the tests are tools/run_tests.sh's to build.
bash tools/build/build.sh tidewrack tidewrack_display tidewrack_graphics tidewrack_client

window=()
if [ -n "${DISPLAY:-}" ]; then
  if [ "$in_process" = yes ]; then
    # The computation's own display starts hidden under a client; ask for it.
    window=(--at 0 window)
  else
    # As "Show graphics" does: the graphics program in the slot.
    window=(--at 0 show-graphics)
  fi
fi

status=0
build/tidewrack_client --dir run "${fresh[@]}" --ckpt-period 60 "${window[@]}" "$@" || status=$?

echo
if [ -f run/slot/boinc_finish_called ]; then
  echo "Work unit finished (status $(cat run/slot/boinc_finish_called))."
else
  echo "Work unit not finished; tools/run_workunit.sh --resume goes on from its checkpoint."
fi
echo "Report: $(pwd)/run/project/out.txt"
echo "Log:    $(pwd)/run/slot/stderr.txt"
exit "$status"
