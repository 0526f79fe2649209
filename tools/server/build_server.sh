#!/bin/bash
# build_server.sh [SOURCE] [BUILD_DIR]
#
# Builds the BOINC 7.20.5 server programs a project needs into BUILD_DIR
# (default build/boinc-server): the scheduler CGI, the upload handler, the
# feeder, transitioner, file deleter, script_validator, script_assimilator,
# create_work, sign_executable and what make_project copies with them. The
# tree stays where it was built, because make_project copies the programs out
# of it. A finished build is kept: it is rebuilt only when a program is missing.
#
# The source, in this order: SOURCE (a .tar.xz/.tar.gz or a folder), the pinned
# export in ../shared/vendor/ beside the repository, or Debian's copy of the
# release archive, downloaded and checked against the SHA-256 recorded here.
set -euo pipefail
cd "$(dirname "$0")/../.."
repo=$(pwd)
source_arg=${1:-}
build_dir=$(realpath -m "${2:-build/boinc-server}")
tree=$build_dir/boinc-7.20.5

vendor_tarball=$repo/../shared/vendor/boinc-7.20.5-src.tar.xz
vendor_sha256=34427f5d7668cef5fa93994645a5c2203b635a1897ad5982c633b84a876d1d77
# Debian repacked the upstream tag client_release/7.20/7.20.5 as its orig
# tarball (the same release; only non-free files outside the server dropped).
download_url=https://deb.debian.org/debian/pool/main/b/boinc/boinc_7.20.5+dfsg.orig.tar.xz
download_sha256=143e7534b671bb1efdafc1db06f61d6f0be9be023ddd385923924d2feaaae657

programs="sched/cgi sched/file_upload_handler sched/feeder sched/transitioner sched/file_deleter
  sched/script_validator sched/script_assimilator sched/show_shmem tools/create_work
  tools/sign_executable tools/dir_hier_path lib/crypt_prog tools/make_project"

step_start=0
step() { step_start=$EPOCHREALTIME; printf '%-14s ' "$1"; }
done_step() { awk -v m="$1" -v a="$step_start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%s (%.1f s)\n", m, b - a }'; }
fail() { echo; echo "build_server.sh: $*" >&2; exit 1; }

all_built() {
  local p
  for p in $programs; do [ -x "$tree/$p" ] || return 1; done
}

step "server build"
if all_built; then
  done_step "already built in $tree"
  exit 0
fi
done_step "missing, building into $tree"

step "source"
mkdir -p "$build_dir"
unpack() {   # unpack TARBALL: into $tree, whatever the archive's top folder
  local scratch
  scratch=$(mktemp -d "$build_dir/unpack-XXXXXX")
  tar -xf "$1" -C "$scratch"
  rm -rf "$tree"
  mv "$scratch"/* "$tree"
  rmdir "$scratch"
}
check_sha256() {   # check_sha256 FILE SUM
  [ "$(sha256sum "$1" | cut -d' ' -f1)" = "$2" ] || fail "$1 does not have SHA-256 $2"
}
if [ -f "$tree/configure.ac" ]; then
  done_step "kept $tree"
elif [ -n "$source_arg" ] && [ -d "$source_arg" ]; then
  rm -rf "$tree"; cp -a "$source_arg" "$tree"
  done_step "copied from $source_arg"
elif [ -n "$source_arg" ]; then
  [ -f "$source_arg" ] || fail "$source_arg is neither a folder nor a tarball"
  unpack "$source_arg"
  done_step "unpacked $source_arg"
elif [ -f "$vendor_tarball" ]; then
  check_sha256 "$vendor_tarball" "$vendor_sha256"
  unpack "$vendor_tarball"
  done_step "unpacked ../shared/vendor/$(basename "$vendor_tarball")"
else
  download=$build_dir/$(basename "$download_url")
  if [ ! -f "$download" ]; then
    curl -fsSL -o "$download.part" "$download_url" || fail "could not download $download_url"
    mv "$download.part" "$download"
  fi
  check_sha256 "$download" "$download_sha256"
  unpack "$download"
  done_step "downloaded and checked $download_url"
fi

cd "$tree"
step "autosetup"
if [ -x configure ]; then done_step "kept"; else
  nice -n 10 ./_autosetup > autosetup.log 2>&1 || { tail -n 30 autosetup.log; fail "_autosetup failed"; }
  done_step "done"
fi

step "configure"
if [ -f config.status ]; then done_step "kept"; else
  # -include ctime: sched_util.cpp calls time() and, with bookworm's MariaDB
  # headers, nothing includes <ctime> for it.
  nice -n 10 ./configure --disable-client --disable-manager --enable-server --disable-fcgi \
    CFLAGS="-O2" CXXFLAGS="-O2 -include ctime" > configure.log 2>&1 ||
    { tail -n 30 configure.log; fail "configure failed"; }
  done_step "done"
fi

step "make"
# Only the programs a project runs. The libraries first, each by one make
# (crypt_prog, too, links lib/.libs/libboinc.a without depending on it):
# Makefile.incl's rule for lib/libboinc.la starts a second make in lib/, which
# races with a parallel make there ("is not a valid libtool object").
{
  nice -n 10 make svn_version.h &&
  nice -n 10 make -j2 -C lib libboinc.la libboinc_crypt.la &&
  nice -n 10 make -j2 -C sched libsched.la &&
  nice -n 10 make -j2 -C lib crypt_prog &&
  nice -n 10 make -j2 -C sched cgi file_upload_handler feeder transitioner file_deleter \
    script_validator script_assimilator show_shmem &&
  nice -n 10 make -j2 -C tools create_work sign_executable dir_hier_path
} > make.log 2>&1 || { grep -n -m5 -B2 -A5 'error' make.log; fail "make failed (see $tree/make.log)"; }
all_built || fail "make ended but programs are missing"
done_step "done"
