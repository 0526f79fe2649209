#!/bin/bash
# Renders the pictures the BOINC Manager's Simple view shows for a project:
# its slideshow, at the 290x126 of that view's panel, and its 40x40 icon. The
# real program draws them under Xvfb, run by tidewrack_client as the client
# would, in a window of the panel's shape at three times its size, without the
# title and text panels (their text is not legible at that size):
#   slideshow_00.png  world view          slideshow_01.png  outside view
#   slideshow_02.png  inside view         slideshow_03.png  the corner ripples
#   stat_icon.png     the earth, from the world view
# tools/kit/package.sh puts them into the kit. Installs what is missing (x11-apps
# for xwd, netpbm), builds if needed.
#   bash tools/kit/slideshow.sh [output directory, default data/slideshow]
set -euo pipefail
cd "$(dirname "$0")/../.."
out=${1:-data/slideshow}

missing=()
for p in x11-apps netpbm xvfb xauth xdotool; do
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
xvfb-run -a -s '-screen 0 1280x1024x24 -noreset' bash -c '
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
  snap() {   # snap WINDOW PNG [pnmcut arguments]: scaled to the panel
    xwd -silent -id "$1" | xwdtopnm 2>/dev/null | { if [ -n "${3:-}" ]; then pnmcut $3; else cat; fi; } |
      pamscale -xsize 290 -ysize 126 | pnmtopng -compression 9 > "$2"
  }
  key() {   # key WINDOW KEY: with the pointer in the window, as a volunteer presses it
    eval "$(xdotool getwindowgeometry --shell "$1")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) key "$2"
  }
  build/tidewrack_client --dir "$run/window" --fresh --prefs "<static_decorations>no</static_decorations>" \
    --at 0 window --at 40 quit > "$run/window.log" 2>&1 &
  client=$!
  w=$(window)
  xdotool windowmove "$w" 0 0 windowsize "$w" 870 378
  sleep 10   # the first targets are searched; the ripples flow
  snap "$w" "$out/slideshow_00.png"
  # the earth, in the middle of the window: its lights on the night side
  xwd -silent -id "$w" | xwdtopnm 2>/dev/null | pnmcut -left 285 -top 39 -width 300 -height 300 |
    pamscale -xsize 40 -ysize 40 | pnmtopng -compression 9 > "$out/stat_icon.png"
  # the ripples, close: the window'"'"'s upper left quarter
  snap "$w" "$out/slideshow_03.png" "-left 0 -top 0 -width 435 -height 189"
  key "$w" ctrl+o; sleep 3
  snap "$w" "$out/slideshow_01.png"
  key "$w" ctrl+i; sleep 3
  snap "$w" "$out/slideshow_02.png"
  wait "$client" || true
' _ "$out" "$run"
ls -l "$out"/*.png
