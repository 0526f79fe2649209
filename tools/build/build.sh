#!/bin/bash
# build.sh [TARGET...]: configures Tidewrack and builds it into ./build: the
# named targets only, or everything (programs, tools, tests, benchmarks).
set -euo pipefail
cd "$(dirname "$0")/../.."
started=$(date +%s)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > build.log 2>&1 || { cat build.log; exit 1; }
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build build -j"$(nproc)" "${targets[@]}" >> build.log 2>&1 || { tail -n 60 build.log; exit 1; }
echo "Built ${*:-everything} in $(( $(date +%s) - started )) s."
