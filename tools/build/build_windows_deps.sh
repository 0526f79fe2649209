#!/bin/bash
# build_windows_deps.sh DEPS_DIR [BOINC_SOURCE]
#
# Cross-builds with mingw-w64 (posix threads) what the Windows programs link
# statically, into DEPS_DIR/{include,lib}:
#   libjpeg-turbo 2.1.5 and freeglut 3.4.0, from Debian's source packages
#   (tools/build/fetch_debian_source.sh: apt checks them against Debian's
#   signed indices), BOINC 7.20.5's libboinc.a, libboinc_api.a and
#   libboinc_graphics2.a, and delay-load import libraries for opengl32 and
#   glu32.
# The BOINC source, in this order: BOINC_SOURCE (a tarball or a folder), the
# export boinc-7.20.5-src.tar.xz in ../shared/vendor/ beside the repository,
# Debian's boinc_7.20.5+dfsg.orig.tar.xz there, or that archive from Debian's
# source package; archives are checked against tools/build/sources.sha256.
# Exit status 3 when a source cannot be had; the last line says which (and,
# for BOINC, where to put it).
# Each step runs only when its result is missing, so running the script again
# costs nothing; a DEPS_DIR made from other sources is rebuilt.
set -euo pipefail
[ $# -eq 1 ] || [ $# -eq 2 ] || { echo "usage: bash tools/build/build_windows_deps.sh DEPS_DIR [BOINC_SOURCE]" >&2; exit 2; }
boinc_source=${2:+$(realpath "$2")}
cd "$(dirname "$0")/../.."
repo=$(pwd)
mkdir -p "$1"
deps=$(cd "$1" && pwd)
src=$deps/src
work=$deps/work
sums=$repo/tools/build/sources.sha256

host=x86_64-w64-mingw32
# The posix variants: Debian's default x86_64-w64-mingw32-g++ is the win32
# thread model, which has no std::thread or std::mutex in gcc 12.
cc=$host-gcc-posix
cxx=$host-g++-posix
ar=$host-ar
ranlib=$host-ranlib
jobs=${JOBS:-2}
nice_cmd="nice -n 10"

vendor=$(realpath -m "$repo/../shared/vendor")
boinc_export=boinc-7.20.5-src.tar.xz
boinc_debian=boinc_7.20.5+dfsg.orig.tar.xz
debian_sources=(freeglut=3.4.0-1 libjpeg-turbo=1:2.1.5-2)

# What the libraries are made from; a DEPS_DIR built from anything else (the
# IJG libjpeg of BOINC's samples, an upstream freeglut) starts again.
recipe="debian: ${debian_sources[*]}; boinc 7.20.5"
if [ "$(cat "$deps/.recipe" 2>/dev/null)" != "$recipe" ]; then
  rm -rf "${deps:?}/include" "${deps:?}/lib" "$src" "$work"
fi
mkdir -p "$src" "$work" "$deps/include/boinc" "$deps/include/GL" "$deps/lib"
echo "$recipe" > "$deps/.recipe"

step() {   # step NAME DONE_TEST_FILE FUNCTION
  local name=$1 result=$2 fn=$3
  if [ -e "$result" ]; then
    echo "step $name: already done ($result)"
    return
  fi
  local t0=$(date +%s)
  echo "step $name: running"
  "$fn"
  echo "step $name: done in $(( $(date +%s) - t0 )) s"
}

need_tools() {
  for t in $cc $cxx $ar $ranlib $host-dlltool $host-nm cmake make apt-get dpkg-source; do
    command -v "$t" >/dev/null || { echo "missing $t (bash tools/build/install_deps.sh installs it)" >&2; exit 1; }
  done
}

check_sum() {   # check_sum FILE: against the sum recorded for its name
  local want
  want=$(awk -v n="$(basename "$1")" '$2 == n {print $1}' "$sums")
  [ -n "$want" ] || { echo "no SHA-256 recorded for $(basename "$1") in $sums; refusing it" >&2; exit 1; }
  echo "$want  $1" | sha256sum -c --quiet - || { echo "$1: SHA-256 mismatch" >&2; exit 1; }
}

boinc_missing() {
  cat >&2 <<EOF
build_windows_deps.sh: put $boinc_export (the export of tag client_release/7.20/7.20.5)
or Debian's $boinc_debian (SHA-256 in tools/build/sources.sha256) into
$vendor, or name a BOINC 7.20.5 tarball or folder as the second argument.
the BOINC 7.20.5 source is missing: its archive goes into ../shared/vendor/ beside the repository
EOF
  exit 3
}

unpack_boinc() {
  local archive=""
  rm -rf "$src/boinc"
  mkdir -p "$src/boinc"
  if [ -n "$boinc_source" ] && [ -d "$boinc_source" ]; then
    cp -a "$boinc_source/." "$src/boinc/"
    echo "  BOINC from $boinc_source"
  else
    if [ -n "$boinc_source" ]; then archive=$boinc_source
    elif [ -f "$vendor/$boinc_export" ]; then archive=$vendor/$boinc_export; check_sum "$archive"
    elif [ -f "$vendor/$boinc_debian" ]; then archive=$vendor/$boinc_debian; check_sum "$archive"
    elif bash tools/build/fetch_debian_source.sh --archives "$work" boinc=7.20.5+dfsg-1.1; then
      archive=$work/$boinc_debian
    else
      boinc_missing
    fi
    tar -xf "$archive" -C "$src/boinc" --strip-components=1
    echo "  BOINC from $archive"
  fi
  # Debian's repack leaves out win_build/ (whose config.h is empty), the
  # generated version.h (made here as the release's: not a pre-release) and
  # samples/jpeglib (libjpeg is Debian's here too).
  local boinc=$src/boinc
  [ -f "$boinc/win_build/config.h" ] || { mkdir -p "$boinc/win_build"; : > "$boinc/win_build/config.h"; }
  if [ ! -f "$boinc/version.h" ]; then
    local wrapper vboxwrapper
    wrapper=$(sed -n 's/^WRAPPER_RELEASE=//p' "$boinc/configure.ac")
    vboxwrapper=$(sed -n 's/^VBOXWRAPPER_RELEASE=//p' "$boinc/configure.ac")
    sed -e 's/@BOINC_MAJOR_VERSION@/7/; s/@BOINC_MINOR_VERSION@/20/; s/@BOINC_RELEASE@/5/' \
        -e "s/@WRAPPER_RELEASE@/$wrapper/; s/@VBOXWRAPPER_RELEASE@/$vboxwrapper/" \
        -e 's/@BOINC_VERSION_STRING@/7.20.5/; s/@PACKAGE@/boinc/; s/@PACKAGE_BUGREPORT@//' \
        -e 's/@PACKAGE_NAME@/BOINC/; s/@PACKAGE_STRING@/BOINC 7.20.5/; s/@PACKAGE_TARNAME@/boinc/' \
        -e 's/@PACKAGE_VERSION@/7.20.5/; s|^#define BOINC_PRERELEASE|//&|' "$boinc/version.h.in" > "$boinc/version.h"
  fi
}

fetch_debian_sources() {
  bash tools/build/fetch_debian_source.sh "$src" "${debian_sources[@]}"
}

# Without SIMD: its assembler would need nasm, and the program decodes two
# pictures once at start-up.
build_libjpeg() {
  $nice_cmd cmake -S "$src/libjpeg-turbo" -B "$work/libjpeg-turbo" \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchains/x86_64-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF > "$work/libjpeg-configure.log"
  $nice_cmd cmake --build "$work/libjpeg-turbo" -j"$jobs" --target jpeg-static > "$work/libjpeg-build.log" 2>&1
  for h in jpeglib.h jmorecfg.h jerror.h; do cp "$src/libjpeg-turbo/$h" "$deps/include/"; done
  cp "$work/libjpeg-turbo/jconfig.h" "$deps/include/"
  cp "$work/libjpeg-turbo/libjpeg.a" "$deps/lib/"
}

build_freeglut() {
  $nice_cmd cmake -S "$src/freeglut" -B "$work/freeglut" \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchains/x86_64-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" \
    -DFREEGLUT_BUILD_DEMOS=OFF -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON \
    -DFREEGLUT_REPLACE_GLUT=OFF > "$work/freeglut-configure.log"
  $nice_cmd cmake --build "$work/freeglut" -j"$jobs" > "$work/freeglut-build.log" 2>&1
  cmake --install "$work/freeglut" > "$work/freeglut-install.log"
  # The framework's boinc_glut.h includes <glut.h> on Windows, which freeglut
  # installs only when it replaces GLUT.
  cp "$src/freeglut/include/GL/glut.h" "$deps/include/GL/"
}

build_boinc_libs() {
  local boinc=$src/boinc out=$work/boinc
  mkdir -p "$out"
  # lib/Makefile.mingw puts only graphics2.o and graphics2_util.o into the
  # graphics library; the framework's own Windows project adds the texture
  # loader, text, reduction and image helpers, and so do we.
  cat > "$out/extra.mk" <<'EOF'
include $(BOINC_SRC)/lib/Makefile.mingw
%.o: $(BOINC_SRC)/samples/image_libs/%.cpp
	$(CXX) -c $< -o $@ $(CPPFLAGS) $(CXXFLAGS)
EOF
  local graphics="graphics2.o graphics2_util.o graphics2_win.o gutil.o gutil_text.o reduce_lib.o bmplib.o tgalib.o"
  local api="boinc_api.o graphics2_util.o reduce_main.o"
  local flags="-I$boinc/samples/image_libs -I$deps/include/GL -I$deps/include -DFREEGLUT_STATIC"
  $nice_cmd make -s -C "$out" -f extra.mk -j"$jobs" BOINC_SRC="$boinc" MINGW=$host CC=$cc CXX=$cxx \
    AR=$ar RANLIB=$ranlib CPPFLAGS="$flags" GPH_OBJ="$graphics" API_OBJ="$api" \
    libboinc.a libboinc_api.a libboinc_graphics2.a 2> "$out/warnings.log"
  for h in version.h api/boinc_api.h api/graphics2.h api/gutil.h api/boinc_gl.h api/boinc_glut.h \
           api/reduce.h lib/app_ipc.h lib/boinc_win.h lib/url.h lib/common_defs.h lib/diagnostics.h \
           lib/diagnostics_win.h lib/error_numbers.h lib/filesys.h lib/hostinfo.h lib/proxy_info.h \
           lib/prefs.h lib/miofile.h lib/mfile.h lib/parse.h lib/util.h lib/coproc.h lib/cal_boinc.h \
           lib/cl_boinc.h lib/opencl_boinc.h win_build/config.h lib/str_util.h lib/str_replace.h \
           lib/wslinfo.h lib/shmem.h lib/win_util.h lib/stackwalker_win.h lib/md5_file.h \
           lib/boinc_stdio.h lib/network.h lib/procinfo.h lib/cert_sig.h; do
    [ -f "$boinc/$h" ] && cp "$boinc/$h" "$deps/include/boinc/"
  done
  for l in libboinc_api.a libboinc_graphics2.a libboinc.a; do
    $ranlib "$out/$l"
    cp "$out/$l" "$deps/lib/"
  done
}

# The computation links the display, but must start on a host without
# OpenGL: opengl32 and glu32 are bound on first use, not at start-up.
make_delay_import_libs() {
  local sysroot
  sysroot=$($cc -print-sysroot)/mingw/lib
  [ -f "$sysroot/libopengl32.a" ] || sysroot=/usr/$host/lib
  for dll in opengl32 glu32; do
    {
      echo "LIBRARY $dll.dll"
      echo "EXPORTS"
      $host-nm "$sysroot/lib$dll.a" | awk '$2 == "I" && $3 ~ /^__imp_/ {sub(/^__imp_/, "", $3); print $3}' | sort -u
    } > "$work/$dll.def"
    $host-dlltool -d "$work/$dll.def" -y "$work/lib${dll}_delay.a"
    cp "$work/lib${dll}_delay.a" "$deps/lib/"
  done
}

t_all=$(date +%s)
need_tools
step debian_sources "$src/libjpeg-turbo/.unpacked" fetch_debian_sources
step libjpeg "$deps/lib/libjpeg.a" build_libjpeg
step freeglut "$deps/lib/libfreeglut_static.a" build_freeglut
step boinc_source "$src/boinc/win_build/config.h" unpack_boinc
step boinc_libraries "$deps/lib/libboinc.a" build_boinc_libs
step delay_import_libraries "$deps/lib/libglu32_delay.a" make_delay_import_libs
echo "windows dependencies in $deps (took $(( $(date +%s) - t_all )) s)"
