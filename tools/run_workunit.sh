#!/bin/bash
# Runs one work unit from scratch the way the BOINC client does: installs what
# is missing, builds, prepares a fresh slot in ./run and runs the program there
# under the client runner, with a progress display. With a display ($DISPLAY
# set) the sky window is shown; without one only the computation runs.
# Ctrl+C asks the program to quit at once; tools/run_workunit.sh --resume goes
# on from the last checkpoint.
# Other options are passed to the runner (build/tidewrack_client --help).
set -euo pipefail
cd "$(dirname "$0")/.."

fresh=(--fresh)
if [ "${1:-}" = "--resume" ]; then
  fresh=()
  shift
fi

bash tools/install_deps.sh
echo "Building (log in build.log)..."
bash tools/build.sh

window=()
if [ -n "${DISPLAY:-}" ]; then
  # Under a client the graphics start hidden; ask for the window as the
  # client's "Show graphics" button does.
  window=(--at 0 window)
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
