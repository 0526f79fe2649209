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
# BOINC's server, built from source by tools/server/build_server.sh, and the
# services a local project runs on (tools/server/demo_project.sh, tests/server):
# MariaDB, Apache with PHP, Python's MySQL module for BOINC's tools.
server_packages=(
  autoconf automake libtool m4 pkg-config libssl-dev libcurl4-openssl-dev zlib1g-dev libmariadb-dev
  mariadb-server mariadb-client apache2 libapache2-mod-php php-cli php-mysql php-xml python3-mysqldb
  curl
)
[ "${1:-}" = run ] || packages+=("${server_packages[@]}")
# The windows_x86_64 build and its tests under Wine: mingw-w64 with the posix
# thread model (std::thread), Wine's 64-bit loader, and dpkg-source, which
# unpacks the Debian source packages the Windows libraries are built from
# (tools/build/fetch_debian_source.sh).
windows_packages=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 dpkg-dev
)
[ "${1:-}" = run ] || packages+=("${windows_packages[@]}")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  # No service may start from the install (MariaDB, Apache): we run our own.
  # Where the system has no policy-rc.d, one refuses the starts meanwhile.
  no_starts=""
  if [ ! -e /usr/sbin/policy-rc.d ]; then
    no_starts=/usr/sbin/policy-rc.d
    printf '#!/bin/sh\nexit 101\n' > "$no_starts"; chmod 755 "$no_starts"
    trap 'rm -f "$no_starts"' EXIT
  fi
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Everything below is for the tests only.
[ "${1:-}" = run ] && exit 0

# ---- Linux ARM app versions: cross compilers, target libraries, qemu-user ----
# tools/build/build_platform.sh builds aarch64-unknown-linux-gnu and
# arm-unknown-linux-gnueabihf against Debian's multiarch libraries, and the
# arm tests run the result under qemu-user (called by name: no binfmt here).
# Multi-Arch: same packages must carry one version on every architecture, so
# on a host that is not fully upgraded apt also upgrades a few amd64 libraries
# (liblzma5, libzstd1, ... were seen); that is expected.
cross_arches=(arm64 armhf)
cross_packages=(qemu-user-static)
for a in "${cross_arches[@]}"; do
  cross_packages+=("crossbuild-essential-$a")
  # the target's runtime and -dev files that are Multi-Arch: same; Mesa's
  # drivers so that the graphics program can draw under qemu
  for p in libc6 libboinc7 libboinc-app7 freeglut3-dev libglu1-mesa-dev libjpeg-dev libgl-dev \
           libgl1-mesa-dri libglx-mesa0 libcurl4 libxss1; do
    cross_packages+=("$p:$a")
  done
done
step_started=$(date +%s)
new_arch=0
for a in "${cross_arches[@]}"; do
  dpkg --print-foreign-architectures | grep -qx "$a" || { dpkg --add-architecture "$a"; new_arch=1; }
done
missing=()
for p in "${cross_packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ $new_arch = 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  [ ${#missing[@]} -eq 0 ] ||
    apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=600 "${missing[@]}"
  echo "install_deps: ARM cross packages installed (${#missing[@]} named) in $(( $(date +%s) - step_started )) s"
fi

# BOINC's -dev packages are not Multi-Arch: same (and libboinc-app-dev pulls
# in build-essential of the target, which cannot be installed), so they are
# unpacked, not installed: headers (config.h differs per architecture) and
# the unversioned library links, re-pointed at the installed runtime. The
# target's own client (usr/bin/boinc) comes with them: under qemu-user it is
# a genuine ARM host for the platforms_project test (libcurl4, libxss1 above).
cross_boinc_dev=/opt/tidewrack-cross
for a in "${cross_arches[@]}"; do
  triplet=$(dpkg-architecture -a "$a" -qDEB_HOST_MULTIARCH 2>/dev/null)
  want=$(dpkg-query -W -f='${Version}' "libboinc-app7:$a")
  dir=$cross_boinc_dev/$a
  [ "$(cat "$dir/.version" 2>/dev/null)" = "$want" ] && [ -x "$dir/usr/bin/boinc" ] && continue
  step_started=$(date +%s)
  scratch=$(mktemp -d)
  (cd "$scratch" && apt-get download -qq -o APT::Sandbox::User=root "libboinc-app-dev:$a=$want" "boinc-dev:$a=$want" \
    "boinc-client:$a=$want")
  rm -rf "$dir"
  mkdir -p "$dir"
  for deb in "$scratch"/*.deb; do dpkg -x "$deb" "$dir"; done
  for link in "$dir/usr/lib/$triplet"/*.so; do
    ln -sfn "/usr/lib/$triplet/$(readlink "$link")" "$link"
  done
  rm -rf "$scratch"
  echo "$want" > "$dir/.version"
  echo "install_deps: BOINC $a development files and client $want unpacked into $dir in $(( $(date +%s) - step_started )) s"
done
