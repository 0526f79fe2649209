#!/bin/bash
# build_platform.sh PLATFORM
#
# Builds the computation, the graphics program and the display for one BOINC
# platform into build-PLATFORM/ with the toolchain file of cmake/toolchains/.
#   windows_x86_64   mingw-w64; first builds the Windows libraries into
#                    build-windows_x86_64/deps (once: tools/build_windows_deps.sh)
# Each step says what it did and how long it took; running it again rebuilds
# only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -eq 1 ] || { echo "usage: bash tools/build_platform.sh PLATFORM" >&2; exit 2; }
platform=$1
build_dir=build-$platform
jobs=${JOBS:-2}

log=$build_dir/build_platform.log

# timed NAME COMMAND...: runs the command with its output in the log; on a
# failure shows the log's end and stops.
timed() {
  local name=$1 t0=$(date +%s)
  shift
  echo "step $name: running (log in $log)"
  "$@" >> "$log" 2>&1 || { tail -n 60 "$log"; echo "step $name: FAILED"; exit 1; }
  echo "step $name: done in $(( $(date +%s) - t0 )) s"
}

configure_and_build() {   # configure_and_build TOOLCHAIN [CMAKE ARGS...]
  local toolchain=$1
  shift
  mkdir -p "$build_dir"
  : > "$log"
  timed configure nice -n 10 cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchains/$toolchain.cmake" "$@"
  timed build nice -n 10 cmake --build "$build_dir" -j"$jobs"
}

case $platform in
  windows_x86_64)
    bash tools/build_windows_deps.sh "$build_dir/deps"
    configure_and_build x86_64-w64-mingw32 -DTIDEWRACK_WINDOWS_DEPS="$PWD/$build_dir/deps"
    for exe in tidewrack tidewrack_graphics; do
      echo "$build_dir/$exe.exe imports:" \
        $(x86_64-w64-mingw32-objdump -p "$build_dir/$exe.exe" | awk '/DLL Name/ {print $3}' | sort -u)
    done
    ;;
  *)
    echo "build_platform.sh: unknown platform $platform" >&2
    exit 2
    ;;
esac
