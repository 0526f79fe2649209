#!/bin/bash
# Tidewrack's window beside a peer: xscreensaver's glplanet (a textured earth
# and stars), both running at once on one Xvfb with a 30 ms tick, measured by
# bench_display at 640x480 and 1920x1080. Prints frames per second and CPU
# milliseconds per frame for each, and glplanet's cost over Tidewrack's.
# Installs xscreensaver-gl-extra if it is missing; builds bench_display.
#   bash bench/peer_glplanet.sh [seconds]     (default 15 s per size)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-15}

if ! dpkg-query -W -f='${Status}' xscreensaver-gl-extra 2>/dev/null | grep -q "install ok installed"; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -qq --no-install-recommends xscreensaver-gl-extra >/dev/null 2>&1 ||
    { apt-get update -qq && apt-get install -y -qq --no-install-recommends xscreensaver-gl-extra >/dev/null; }
fi
glplanet=$(dpkg -L xscreensaver-gl-extra | grep '/glplanet$' | head -n 1)
[ -x "$glplanet" ] || { echo "glplanet not found in xscreensaver-gl-extra" >&2; exit 1; }
bash tools/build/install_deps.sh
[ -x build/bench_display ] || bash tools/build/build.sh
cmake --build build --target bench_display >/dev/null

export GALLIUM_DRIVER=llvmpipe
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run() {   # the two benchmarks at once, on the Xvfb that xvfb-run starts
  xvfb-run -a -s '-screen 0 1920x1080x24' bash -c '
    size=$1; seconds=$2; glplanet=$3; work=$4
    build/bench_display --no-floor --size "$size" --seconds "$seconds" > "$work/tidewrack.txt" &
    a=$!
    build/bench_display --no-floor --size "$size" --seconds "$seconds" \
      --program "$glplanet" -window -delay 30000 -- --title "GLPlanet.*" > "$work/glplanet.txt" &
    b=$!
    wait $a $b' _ "$@"
}

# "   program    21.0 frames/s    9.58 ms CPU per frame ..." -> "21.0 9.58"
figures() { awk '$1 == "program" { print $2, $4; exit }' "$1"; }

echo "peer benchmark on $(nproc) cores, $(glxinfo 2>/dev/null | grep -m1 'OpenGL renderer' || echo llvmpipe)"
printf '%-10s %-10s %8s %14s\n' size program frames/s "CPU ms/frame"
for size in 640x480 1920x1080; do
  run "$size" "$seconds" "$glplanet" "$work"
  read -r t_fps t_ms < <(figures "$work/tidewrack.txt") || true
  read -r g_fps g_ms < <(figures "$work/glplanet.txt") || true
  if [ -z "${t_ms:-}" ] || [ -z "${g_ms:-}" ]; then
    echo "$size: a run gave no figures:"; cat "$work/tidewrack.txt" "$work/glplanet.txt"; continue
  fi
  grep -h "could not" "$work/tidewrack.txt" "$work/glplanet.txt" || true
  printf '%-10s %-10s %8s %14s\n' "$size" tidewrack "$t_fps" "$t_ms"
  printf '%-10s %-10s %8s %14s\n' "$size" glplanet "$g_fps" "$g_ms"
  awk -v g="$g_ms" -v t="$t_ms" -v s="$size" \
    'BEGIN { printf "%-10s glplanet / tidewrack CPU per frame: %.2f (tidewrack costs %.0f%% of glplanet)\n", s, g / t, 100 * t / g }'
done
