#!/bin/bash
# Installs what building, running and testing Tidewrack needs, from Debian's
# packages. Safe to run again: it installs only what is missing.
set -euo pipefail
packages=(
  cmake g++ make clang libclang-rt-dev python3-minimal
  boinc-dev libboinc-app-dev boinc-client
  freeglut3-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libjpeg-dev libx11-dev
  libgtest-dev googletest
  xvfb xauth xdotool
  # The windows_x86_64 build and its tests under Wine: mingw-w64 with the
  # posix thread model (std::thread), and Wine's 64-bit loader.
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
