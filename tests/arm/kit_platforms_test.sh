#!/bin/bash
# kit_platforms_test.sh BUILD_DIR SOURCE_DIR
# tools/kit/package.sh --platforms all: every platform is packed or named as not
# buildable here (never silently missing), and each ARM app version ships the
# same files as x86_64's, built for its own processor, in the app version and
# in its anonymous-platform folder; no two platforms ship different files
# under one physical name.
set -u
build_dir=$(realpath "$1"); source_dir=$(realpath "$2")
command -v aarch64-linux-gnu-g++ arm-linux-gnueabihf-g++ > /dev/null ||
  { echo "SKIP: the ARM cross compilers are not installed (tools/build/install_deps.sh)"; exit 0; }
work=$(realpath "$(mktemp -d "${TMPDIR:-/tmp}/tidewrack-kit-platforms-XXXXXX")")
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

status=0
bash "$source_dir/tools/kit/package.sh" --from "$build_dir" --platforms all "$work/kit" \
  > "$work/package.log" 2> "$work/package.err" || status=$?
[ $status = 0 ] || [ $status = 3 ] || { cat "$work/package.log" "$work/package.err"; echo "FAIL: package.sh ended with status $status"; exit 1; }
version_root=$(echo "$work"/kit/apps/tidewrack/*)
for platform in x86_64-pc-linux-gnu windows_x86_64 aarch64-unknown-linux-gnu arm-unknown-linux-gnueabihf; do
  if [ -f "$version_root/$platform/version.xml" ]; then
    [ -f "$work/kit/anonymous/$platform/app_info.xml" ] || fail "$platform: no anonymous-platform folder"
    grep -q "<platform>$platform</platform>" "$work/kit/anonymous/$platform/app_info.xml" ||
      fail "$platform: app_info.xml names another platform"
  elif grep -q "^  $platform: " "$work/package.err"; then
    [ $status = 3 ] || fail "$platform left out, but package.sh ended with status 0"
    echo "reported as not buildable: $(grep "^  $platform: " "$work/package.err")"
  else
    fail "$platform is neither packed nor reported"
  fi
done

# The files an app version names, with its platform's name taken out.
files_of() { sed -n 's/.*<physical_name>\(.*\)<\/physical_name>.*/\1/p' "$version_root/$1/version.xml" | sed "s/$1/PLATFORM/" | sort; }
files_of x86_64-pc-linux-gnu > "$work/x86_64.files"
for platform in aarch64-unknown-linux-gnu arm-unknown-linux-gnueabihf; do
  case $platform in aarch64*) machine=AArch64 ;; *) machine=ARM ;; esac
  [ -f "$version_root/$platform/version.xml" ] || { fail "$platform was not packed"; continue; }
  files_of "$platform" | diff -u "$work/x86_64.files" - || fail "$platform ships other files than x86_64-pc-linux-gnu"
  for dir in "$version_root/$platform" "$work/kit/anonymous/$platform"; do
    for f in "$dir"/*; do
      case $f in *.xml|*.jpg) continue ;; esac
      readelf -h "$f" 2>/dev/null | grep -q "Machine: *$machine\$" || fail "$f is not an $machine file"
    done
  done
done

# update_versions puts every platform's files into the one download folder:
# a name two platforms share must be one file.
declare -A first_of
for f in "$version_root"/*/*; do
  name=$(basename "$f")
  [ "$name" = version.xml ] && continue
  if [ -z "${first_of[$name]:-}" ]; then first_of[$name]=$f
  else cmp -s "${first_of[$name]}" "$f" || fail "$name: two platforms ship different files under one name"; fi
done

[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "passed"
