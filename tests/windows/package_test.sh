#!/bin/bash
# package_test.sh LINUX_BUILD_DIR WINDOWS_BUILD_DIR SOURCE_DIR WINEPREFIX
# tools/kit/package.sh --windows writes the windows_x86_64 app version: the files
# version.xml names, under versioned names, and the packed computation runs a
# work unit under Wine from a slot laid out as a client lays it out
# (<soft_link> files for the pictures and out.txt).
set -u
linux_build=$(realpath "$1"); windows_build=$(realpath "$2"); source_dir=$(realpath "$3")
export WINEPREFIX=$4 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;opengl32=d"
work=$(realpath "$(mktemp -d "${TMPDIR:-/tmp}/tidewrack-windows-kit-XXXXXX")")
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

bash "$source_dir/tools/kit/package.sh" --from "$linux_build" --windows "$windows_build" "$work/kit" \
  > "$work/package.log" 2>&1 || { cat "$work/package.log"; echo "FAIL: tools/kit/package.sh failed"; exit 1; }
version_dir=$(echo "$work"/kit/apps/tidewrack/*/windows_x86_64)
[ -f "$version_dir/version.xml" ] || { echo "FAIL: no windows_x86_64 version.xml"; exit 1; }
for name in $(sed -n 's/.*<physical_name>\(.*\)<\/physical_name>.*/\1/p' "$version_dir/version.xml"); do
  [ -f "$version_dir/$name" ] || fail "version.xml names $name, which is not there"
  [ -f "$work/kit/anonymous/windows_x86_64/$name" ] || fail "the anonymous platform lacks $name"
done
grep -q '<logical_name>graphics_app</logical_name>' "$version_dir/version.xml" || fail "no graphics_app"
main=$(sed -n '/<main_program\/>/{x;p};h' "$version_dir/version.xml" | sed -n 's/.*<physical_name>\(.*\)<\/physical_name>.*/\1/p')
[ -n "$main" ] || { echo "FAIL: no main program in version.xml"; exit 1; }
bash "$source_dir/tests/windows/imports_test.sh" "$version_dir" > /dev/null 2>&1 ||
  fail "the packed programs import more than system DLLs"

# A slot as the client makes it: the project directory holds the files, the
# slot links to them.
mkdir -p "$work/project" "$work/slot"
cp "$version_dir"/* "$work/project/"
for picture in earthlights2 leftimage2; do
  echo "<soft_link>../project/${picture}_$(basename "$(dirname "$version_dir")").jpg</soft_link>" > "$work/slot/$picture.jpg"
done
echo "<soft_link>../project/result_0</soft_link>" > "$work/slot/out.txt"
printf ' 1270 \n 1270 \n' > "$work/slot/ckpt_state"
(cd "$work/slot" && timeout 300 wine "../project/$main" > "$work/wine.log" 2>&1) || fail "the packed computation ended with status $?"
tr -d '\r' < "$work/project/result_0" 2>/dev/null | grep -qx 'Blow me down!' || fail "no report through the out.txt link"
[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "passed"
