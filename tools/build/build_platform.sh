#!/bin/bash
# build_platform.sh PLATFORM
#
# Builds the programs of one app version for a BOINC platform into
# build-PLATFORM/: the computation (tidewrack), the graphics program
# (tidewrack_graphics) and the display module. The tests and tools are built
# for this machine by tools/build/build.sh only. Platforms:
#   aarch64-unknown-linux-gnu     cmake/toolchains/aarch64-linux-gnu.cmake
#   arm-unknown-linux-gnueabihf   cmake/toolchains/arm-linux-gnueabihf.cmake
#   windows_x86_64                cmake/toolchains/x86_64-w64-mingw32.cmake
# Exit status 3: the platform cannot be built on this machine (a tool or
# library is missing; tools/build/install_deps.sh installs them); it says why.
set -euo pipefail
cd "$(dirname "$0")/../.."
source_dir=$(pwd)

if [ $# -ne 1 ]; then
  echo "usage: bash tools/build/build_platform.sh aarch64-unknown-linux-gnu|arm-unknown-linux-gnueabihf|windows_x86_64" >&2
  exit 2
fi
platform=$1
build_dir=$source_dir/build-$platform
log=$build_dir/build_platform.log
cmake_extra=()
program_suffix=""; programs=(tidewrack tidewrack_graphics tidewrack_display)

cannot_build() { echo "build_platform.sh: $platform cannot be built here: $*" >&2; exit 3; }
step() {   # step NAME FUNCTION: runs one step and says how long it took
  local started
  started=$(date +%s%N)
  "$2"
  echo "build_platform.sh: $platform: $1 done in $(( ($(date +%s%N) - started) / 1000000 )) ms"
}

# ---- per platform: the toolchain file and what must be on the machine ---------
need_debian_cross() {   # need_debian_cross TRIPLET DEBIAN_ARCH
  command -v "$1-g++" > /dev/null || cannot_build "no $1-g++ (crossbuild-essential-$2)"
  [ -f "/opt/tidewrack-cross/$2/.version" ] || cannot_build "BOINC's $2 development files are not unpacked"
  [ -e "/usr/lib/$1/libglut.so" ] || cannot_build "no freeglut3-dev:$2"
}
case $platform in
  aarch64-unknown-linux-gnu)
    toolchain=aarch64-linux-gnu; elf_machine=AArch64
    check_machine() { need_debian_cross aarch64-linux-gnu arm64; } ;;
  arm-unknown-linux-gnueabihf)
    toolchain=arm-linux-gnueabihf; elf_machine=ARM
    check_machine() { need_debian_cross arm-linux-gnueabihf armhf; } ;;
  windows_x86_64)
    # mingw-w64 with the posix thread model; the Windows libraries are built
    # once from the pinned sources into build-windows_x86_64/deps
    # (tools/build/build_windows_deps.sh). The display is linked into the
    # programs: there is no module to build.
    toolchain=x86_64-w64-mingw32; elf_machine=""
    program_suffix=.exe; programs=(tidewrack tidewrack_graphics)
    check_machine() {
      command -v x86_64-w64-mingw32-g++-posix > /dev/null || cannot_build "no x86_64-w64-mingw32-g++-posix (g++-mingw-w64-x86-64-posix)"
      local status=0 errors=$build_dir/build_windows_deps.err
      mkdir -p "$build_dir"
      bash tools/build/build_windows_deps.sh "$build_dir/deps" 2> "$errors" || status=$?
      cat "$errors" >&2
      [ $status != 3 ] || cannot_build "$(tail -n 1 "$errors")"
      [ $status = 0 ] || exit $status
      cmake_extra+=("-DTIDEWRACK_WINDOWS_DEPS=$build_dir/deps")
    } ;;
  *) echo "build_platform.sh: unknown platform '$platform'" >&2; exit 2 ;;
esac
toolchain_file=$source_dir/cmake/toolchains/$toolchain.cmake
[ -f "$toolchain_file" ] || cannot_build "no cmake/toolchains/$toolchain.cmake"

# ---- the steps -------------------------------------------------------------
configure() {
  mkdir -p "$build_dir"
  cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain_file" "${cmake_extra[@]}" > "$log" 2>&1 ||
    { tail -n 40 "$log"; exit 1; }
}
compile() {
  local targets=() program
  for program in "${programs[@]}"; do targets+=(--target "$program"); done
  cmake --build "$build_dir" -j"$(nproc)" "${targets[@]}" \
    >> "$log" 2>&1 || { tail -n 60 "$log"; exit 1; }
}
check_programs() {   # a wrong compiler picked up by accident shows here
  local f
  for f in "${programs[@]}"; do
    [ "$f" = tidewrack_display ] && f=tidewrack_display.so || f=$f$program_suffix
    [ -f "$build_dir/$f" ] || { echo "build_platform.sh: $f was not built" >&2; exit 1; }
    [ -z "$elf_machine" ] || readelf -h "$build_dir/$f" | grep -q "Machine: *$elf_machine" ||
      { echo "build_platform.sh: $f is not an $elf_machine program" >&2; exit 1; }
  done
}

step "machine check" check_machine
step configure configure
step compile compile
step "program check" check_programs
[ "$platform" != windows_x86_64 ] || for exe in tidewrack tidewrack_graphics; do
  echo "build_platform.sh: $exe.exe imports:" \
    $(x86_64-w64-mingw32-objdump -p "$build_dir/$exe.exe" | awk '/DLL Name/ {print $3}' | sort -u)
done
echo "build_platform.sh: $platform built into build-$platform/ (log: build-$platform/build_platform.log)"
