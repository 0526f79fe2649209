#!/bin/bash
# tools/build/fetch_debian_source.sh, on Debian's real mirror: a source package
# comes unpacked with Debian's patches when apt and the recorded SHA-256
# agree; an archive whose recorded sum differs, and a version Debian does not
# have, are refused and nothing is unpacked.
#   debian_source_test.sh SOURCE_DIR
set -uo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# A copy of the script beside a list of sums of its own, which the second
# case changes.
mkdir -p "$work/repo/tools/build"
cp "$source_dir/tools/build/fetch_debian_source.sh" "$source_dir/tools/build/sources.sha256" "$work/repo/tools/build/"
sums=$work/repo/tools/build/sources.sha256
fetch() {   # fetch DEST PACKAGE=VERSION: sets status and out
  status=0
  out=$(bash "$work/repo/tools/build/fetch_debian_source.sh" "$1" "$2" 2>&1) || status=$?
}

fetch "$work/good" freeglut=3.4.0-1
[ $status = 0 ] || fail "freeglut 3.4.0-1 was not fetched (status $status): $out"
[ -f "$work/good/freeglut/CMakeLists.txt" ] || fail "no freeglut tree: $(ls -A "$work/good")"
grep -qx 20_update_soversion.cmake "$work/good/freeglut/.pc/applied-patches" 2>/dev/null ||
  fail "Debian's patches are not applied"
[ -z "$(find "$work/good" -maxdepth 1 -name '*.tar.*')" ] || fail "archives left beside the tree"

sed -i 's/^3c0bcb[0-9a-f]*  freeglut_3.4.0.orig.tar.gz$/'"$(printf '0%.0s' $(seq 64))"'  freeglut_3.4.0.orig.tar.gz/' "$sums"
grep -q "^0\{64\}  freeglut_3.4.0.orig.tar.gz" "$sums" || fail "the recorded sum of freeglut_3.4.0.orig.tar.gz was not found"
fetch "$work/changed" freeglut=3.4.0-1
[ $status = 1 ] && grep -q "freeglut_3.4.0.orig.tar.gz: SHA-256 mismatch" <<< "$out" ||
  fail "an archive against its recorded sum was taken (status $status): $out"
[ ! -e "$work/changed/freeglut" ] || fail "the refused archive was unpacked"

fetch "$work/missing" freeglut=0.0-0
[ $status = 3 ] && grep -q "freeglut=0.0-0 cannot be had from Debian.s mirror" <<< "$out" ||
  fail "a version Debian lacks is not named (status $status): $out"
echo "PASS: fetched, checked and patched; a changed sum and a missing version are refused"
