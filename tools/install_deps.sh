#!/bin/bash
# install_deps.sh [run]: installs from Debian's packages what building,
# running and testing Tidewrack needs; with `run`, only what building and
# running one work unit needs. Safe to run again: it installs only what is
# missing.
set -euo pipefail
# Building and running: compiler, BOINC's application libraries, freeglut,
# Mesa, libjpeg, and GoogleTest, which configuring the build looks for.
run_packages=(
  cmake g++ make python3-minimal
  boinc-dev libboinc-app-dev
  freeglut3-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libjpeg-dev libx11-dev
  libgtest-dev
)
# Testing: sanitizers and fuzzers, an X server and input for the window
# tests, the real BOINC client and the real Linux screensaver helper with a
# window manager to run it under.
test_packages=(
  clang libclang-rt-dev googletest
  xvfb xauth xdotool
  boinc-client boinc-screensaver openbox
)
packages=("${run_packages[@]}")
[ "${1:-}" = run ] || packages+=("${test_packages[@]}")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
