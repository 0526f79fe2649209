#!/bin/bash
# wine_prefix.sh make|remove PREFIX
# make: a fresh 64-bit Wine prefix for the run of the Windows tests (the old
# one removed first), and the time Wine took to set it up.
# remove: stops the prefix's Wine server and removes the prefix.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: wine_prefix.sh make|remove PREFIX" >&2; exit 2; }
export WINEPREFIX=$2 WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
stop_server() { [ -d "$WINEPREFIX" ] && wineserver -k 2>/dev/null || true; }
case $1 in
  make)
    stop_server
    rm -rf "$WINEPREFIX"
    t0=$(date +%s%3N)
    # No display: the set-up needs none, and none is left waiting for one.
    env -u DISPLAY wine wineboot -i > "$WINEPREFIX.log" 2>&1 || { cat "$WINEPREFIX.log"; exit 1; }
    wineserver -w
    echo "Wine prefix made in $(( $(date +%s%3N) - t0 )) ms: $WINEPREFIX"
    ;;
  remove)
    stop_server
    rm -rf "$WINEPREFIX" "$WINEPREFIX.log"
    echo "Wine prefix removed"
    ;;
  *) echo "usage: wine_prefix.sh make|remove PREFIX" >&2; exit 2 ;;
esac
