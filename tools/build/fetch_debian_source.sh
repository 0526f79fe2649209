#!/bin/bash
# fetch_debian_source.sh [--archives] DEST PACKAGE=VERSION...
#
# Fetches Debian source packages with apt-get source into DEST: each file is
# checked by apt against the release's signed indices, then its SHA-256
# against tools/build/sources.sha256, and the package is unpacked with
# Debian's patches into DEST/PACKAGE (with --archives, its files are left in
# DEST instead). The deb-src entry for the system's
# release lives in an apt configuration of this run only, removed at the end:
# the system's sources and package lists stay as they are. A package already
# unpacked in DEST is kept. Exit status 3 if a package cannot be had; it says
# which and why, in its last line.
set -euo pipefail
archives=no
[ "${1:-}" != --archives ] || { archives=yes; shift; }
[ $# -ge 2 ] || { echo "usage: bash tools/build/fetch_debian_source.sh [--archives] DEST PACKAGE=VERSION..." >&2; exit 2; }
cd "$(dirname "$0")/../.."
sums=$(pwd)/tools/build/sources.sha256
mkdir -p "$1"
dest=$(cd "$1" && pwd)
shift

for t in apt-get dpkg-source; do
  command -v "$t" > /dev/null || { echo "no $t to fetch Debian's source packages (dpkg-dev)" >&2; exit 3; }
done
wanted=()
for package_version in "$@"; do
  [ -f "$dest/${package_version%%=*}/.unpacked" ] || [ -f "$dest/${package_version%%=*}.fetched" ] || wanted+=("$package_version")
done
[ ${#wanted[@]} -gt 0 ] || exit 0

# shellcheck disable=SC1091
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
[ -n "$codename" ] || { echo "no Debian release to fetch source packages of (/etc/os-release)" >&2; exit 3; }
apt_dir=$(mktemp -d "$dest/apt-XXXXXX")
trap 'rm -rf "$apt_dir"' EXIT
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/download"
cat > "$apt_dir/debian.sources" <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
apt=(apt-get -q -o Dir::Etc::SourceList="$apt_dir/debian.sources" -o Dir::Etc::SourceParts=/nonexistent
  -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache" -o Debug::NoLocking=1
  -o APT::Sandbox::User=root)
"${apt[@]}" update > "$apt_dir/update.log" 2>&1 ||
  { cat "$apt_dir/update.log" >&2; echo "no source index of Debian $codename from Debian's mirror" >&2; exit 3; }

for package_version in "${wanted[@]}"; do
  package=${package_version%%=*}
  rm -rf "${apt_dir:?}/download/"*
  (cd "$apt_dir/download" && "${apt[@]}" source --download-only "$package_version") > "$apt_dir/source.log" 2>&1 || {
    grep -E '^(E|Err):' "$apt_dir/source.log" >&2 || cat "$apt_dir/source.log" >&2
    echo "$package_version cannot be had from Debian's mirror" >&2
    exit 3
  }
  for file in "$apt_dir/download"/*; do
    name=$(basename "$file")
    [ "${name%.dsc}" = "$name" ] || continue
    want=$(awk -v n="$name" '$2 == n {print $1}' "$sums")
    [ -n "$want" ] || { echo "fetch_debian_source.sh: no SHA-256 recorded for $name in $sums" >&2; exit 1; }
    echo "$want  $file" | sha256sum -c --quiet - || { echo "fetch_debian_source.sh: $name: SHA-256 mismatch" >&2; exit 1; }
  done
  if [ $archives = yes ]; then
    mv "$apt_dir/download/"* "$dest/"
    touch "$dest/$package.fetched"
  else
    rm -rf "${dest:?}/$package"
    dpkg-source --no-copy -x "$apt_dir/download/"*.dsc "$dest/$package" > "$apt_dir/unpack.log" 2>&1 ||
      { cat "$apt_dir/unpack.log" >&2; exit 1; }
    touch "$dest/$package/.unpacked"
  fi
  echo "  $package_version from Debian's source packages, checked"
done
