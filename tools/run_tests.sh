#!/bin/bash
# Installs what is missing, builds, and runs the whole test suite. The OpenGL
# and window tests draw with Mesa's llvmpipe on an Xvfb server of their own.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build/install_deps.sh
bash tools/build/build.sh
cd build
export GALLIUM_DRIVER=llvmpipe
# The asan label runs the unit and GL suites under AddressSanitizer and UBSan
# with exactly two things switched off:
# - alloc_dealloc_mismatch: the framework's libboinc_graphics2 frees memory it
#   allocated with new[] using free();
# - leak detection for the GL tests only (label asan_gl): Mesa unloads its
#   driver at exit and what the driver keeps is then reported as leaks without
#   symbols. Leaks in our own code are still caught by the unit tests.
export ASAN_OPTIONS=alloc_dealloc_mismatch=0
export UBSAN_OPTIONS=print_stacktrace=1
# -noreset: by default Xvfb resets itself whenever its last client leaves, and
# a test process connecting during that reset is refused ("failed to open
# display"). With tests starting and ending in parallel that happens at random.
xvfb-run -a -s '-screen 0 1920x1080x24 -noreset' bash -c '
  status=0
  ctest --output-on-failure -j"$(nproc)" --timeout 600 -LE asan_gl || status=1
  ASAN_OPTIONS=$ASAN_OPTIONS:detect_leaks=0 \
    ctest --output-on-failure -j"$(nproc)" --timeout 600 -L asan_gl || status=1
  exit $status'
