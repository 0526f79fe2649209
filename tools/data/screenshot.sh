#!/bin/bash
# Renders the real program under Xvfb, run by tidewrack_client as the BOINC
# client would, and writes PNG pictures of its display into screenshots/:
#   world_view.png    the window at its 640x480, world view (as it opens)
#   outside_view.png  the same window after Control+O
#   full_screen.png   full screen on a 1920x1080 screen, shown at half size
# Installs what is missing (x11-apps for xwd, netpbm for PNG), builds if needed.
#   bash tools/data/screenshot.sh [output directory]
set -euo pipefail
cd "$(dirname "$0")/../.."
out=${1:-screenshots}

bash tools/build/install_deps.sh
missing=()
for p in x11-apps netpbm; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null 2>&1 ||
    { apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; }
fi
[ -x build/tidewrack ] && [ -x build/tidewrack_client ] || bash tools/build/build.sh
mkdir -p "$out"
out=$(cd "$out" && pwd)
run=$(mktemp -d)
trap 'rm -rf "$run"' EXIT

export GALLIUM_DRIVER=llvmpipe
xvfb-run -a -s '-screen 0 1920x1080x24 -noreset' bash -c '
  set -euo pipefail
  out=$1; run=$2
  window() {   # the visible window of the program, once it is there
    for _ in $(seq 100); do
      w=$(xdotool search --onlyvisible --name "^tidewrack$" 2>/dev/null | head -n 1) || true
      [ -n "$w" ] && { echo "$w"; return; }
      sleep 0.2
    done
    echo "no window" >&2; return 1
  }
  snap() {   # window id, PNG file, optional scale
    xwd -silent -id "$1" | xwdtopnm 2>/dev/null | { if [ -n "${3:-}" ]; then pamscale "$3"; else cat; fi; } |
      pnmtopng -compression 9 > "$2"
  }
  # The window, then the outside view; quit at 16 s.
  build/tidewrack_client --dir "$run/window" --fresh --user "Ann Example" --team "Tidewrack Testers" \
    --at 0 window --at 16 quit > "$run/window.log" 2>&1 &
  client=$!
  w=$(window)
  sleep 10   # the first targets reach the search panel; the ripples flow
  snap "$w" "$out/world_view.png"
  eval "$(xdotool getwindowgeometry --shell "$w")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) key ctrl+o
  sleep 3
  snap "$w" "$out/outside_view.png"
  wait "$client" || true
  # Full screen, in a run of its own that starts in it, the pointer in a
  # corner away from it (any move ends a screensaver).
  xdotool mousemove 1919 1079
  build/tidewrack_client --dir "$run/full" --fresh --user "Ann Example" --team "Tidewrack Testers" \
    --at 0 fullscreen --at 14 quit > "$run/full.log" 2>&1 &
  client=$!
  w=$(window)
  sleep 10
  snap "$w" "$out/full_screen.png" 0.5
  wait "$client" || true
' _ "$out" "$run"
ls -l "$out"/*.png
