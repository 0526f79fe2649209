#!/bin/bash
# Installs what building, running and testing Tidewrack needs, from Debian's
# packages. Safe to run again: it installs only what is missing.
set -euo pipefail
packages=(
  cmake g++ make clang libclang-rt-dev python3-minimal
  boinc-dev libboinc-app-dev boinc-client
  freeglut3-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libjpeg-dev libx11-dev
  libgtest-dev googletest
  xvfb xauth xdotool
)
# BOINC's server, built from source by tools/server/build_server.sh, and the
# services a local project runs on (tools/demo_project.sh, tests/server):
# MariaDB, Apache with PHP, Python's MySQL module for BOINC's tools.
server_packages=(
  autoconf automake libtool m4 pkg-config libssl-dev libcurl4-openssl-dev zlib1g-dev libmariadb-dev
  mariadb-server mariadb-client apache2 libapache2-mod-php php-cli php-mysql php-xml python3-mysqldb
  curl
)
packages+=("${server_packages[@]}")
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
