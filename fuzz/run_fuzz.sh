#!/bin/sh
# Runs a libFuzzer binary for a bounded time on a copy of its seed corpus, so
# that the inputs it finds stay out of the source tree.
#   run_fuzz.sh FUZZER CORPUS_DIR DICTIONARY SECONDS ARTIFACT_DIR
set -eu
fuzzer=$1 corpus=$2 dictionary=$3 seconds=$4 artifacts=$5
work=$(mktemp -d "${TMPDIR:-/tmp}/fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp -R "$corpus" "$work/corpus"
mkdir -p "$artifacts"
"$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=8192 -timeout=10 \
    -dict="$dictionary" -artifact_prefix="$artifacts/" -print_final_stats=1 "$work/corpus"
