#!/bin/bash
# Installs what is missing, builds, and runs the whole test suite. The OpenGL
# and window tests draw with Mesa's llvmpipe on an Xvfb server of their own.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install_deps.sh
bash tools/build.sh
cd build
export GALLIUM_DRIVER=llvmpipe
xvfb-run -a -s '-screen 0 1920x1080x24' \
  ctest --output-on-failure -j"$(nproc)" --timeout 600
