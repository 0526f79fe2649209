#!/bin/bash
# build_windows_deps.sh DEPS_DIR
#
# Cross-builds with mingw-w64 (posix threads) what the Windows programs link
# statically, into DEPS_DIR/{include,lib}:
#   libjpeg (IJG 6b, from BOINC's samples/jpeglib), freeglut 3.4.0 (static),
#   BOINC 7.20.5's libboinc.a, libboinc_api.a and libboinc_graphics2.a, and
#   delay-load import libraries for opengl32 and glu32.
# Sources come from ../shared/vendor/ beside the repository; without it, the
# upstream release archives are downloaded and checked against
# tools/build/windows_deps.sha256. Each step runs only when its result is missing,
# so running the script again costs nothing.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: bash tools/build/build_windows_deps.sh DEPS_DIR" >&2; exit 2; }
cd "$(dirname "$0")/../.."
repo=$(pwd)
mkdir -p "$1"
deps=$(cd "$1" && pwd)
src=$deps/src
work=$deps/work
mkdir -p "$src" "$work" "$deps/include/boinc" "$deps/include/GL" "$deps/lib"

host=x86_64-w64-mingw32
# The posix variants: Debian's default x86_64-w64-mingw32-g++ is the win32
# thread model, which has no std::thread or std::mutex in gcc 12.
cc=$host-gcc-posix
cxx=$host-g++-posix
ar=$host-ar
ranlib=$host-ranlib
jobs=${JOBS:-2}
nice_cmd="nice -n 10"

vendor=$repo/../shared/vendor
boinc_archive=boinc-7.20.5-src.tar.xz
freeglut_archive=freeglut-3.4.0-src.tar.xz
boinc_url=https://github.com/BOINC/boinc/archive/refs/tags/client_release/7.20/7.20.5.tar.gz
freeglut_url=https://github.com/freeglut/freeglut/releases/download/v3.4.0/freeglut-3.4.0.tar.gz

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
  for t in $cc $cxx $ar $ranlib $host-dlltool $host-nm cmake make; do
    command -v "$t" >/dev/null || { echo "missing $t (bash tools/build/install_deps.sh installs it)" >&2; exit 1; }
  done
}

# Downloads ARCHIVE from URL into the work folder and checks its recorded
# SHA-256; an archive without a recorded sum is refused.
fetch_checked() {   # fetch_checked NAME URL -> prints the local path
  local name=$1 url=$2 sums=$repo/tools/build/windows_deps.sha256
  local file=$work/$name
  [ -f "$file" ] || curl -fsSL -o "$file" "$url"
  local want
  want=$(awk -v n="$name" '$2 == n {print $1}' "$sums")
  [ -n "$want" ] || { echo "no SHA-256 recorded for $name in $sums; refusing it" >&2; exit 1; }
  echo "$want  $file" | sha256sum -c --quiet - >&2 || { echo "$name: checksum mismatch" >&2; exit 1; }
  echo "$file"
}

unpack_sources() {
  rm -rf "$src/boinc" "$src/freeglut"
  mkdir -p "$src/boinc" "$src/freeglut"
  if [ -f "$vendor/$boinc_archive" ] && [ -f "$vendor/$freeglut_archive" ]; then
    (cd "$vendor" && sha256sum -c --quiet SHA256SUMS)
    tar -xJf "$vendor/$boinc_archive" -C "$src/boinc" --strip-components=1
    tar -xJf "$vendor/$freeglut_archive" -C "$src/freeglut" --strip-components=1
    echo "  sources from $vendor"
  else
    tar -xzf "$(fetch_checked boinc-7.20.5.tar.gz "$boinc_url")" -C "$src/boinc" --strip-components=1
    tar -xzf "$(fetch_checked freeglut-3.4.0.tar.gz "$freeglut_url")" -C "$src/freeglut" --strip-components=1
    echo "  sources downloaded and checked"
  fi
}

build_libjpeg() {
  local jpeg=$src/boinc/samples/jpeglib out=$work/jpeg
  mkdir -p "$out"
  local names="jcapimin jcapistd jccoefct jccolor jcdctmgr jchuff jcinit jcmainct jcmarker jcmaster
    jcomapi jcparam jcphuff jcprepct jcsample jctrans jdapimin jdapistd jdatadst jdatasrc jdcoefct
    jdcolor jddctmgr jdhuff jdinput jdmainct jdmarker jdmaster jdmerge jdphuff jdpostct jdsample
    jdtrans jerror jfdctflt jfdctfst jfdctint jidctflt jidctfst jidctint jidctred jmemmgr jmemnobs
    jquant1 jquant2 jutils"
  # A makefile of its own, so that the library builds in parallel.
  {
    echo "OBJS = $(for n in $names; do printf '%s.o ' "$n"; done)"
    echo "libjpeg.a: \$(OBJS)"
    printf '\t%s rc $@ $^ && %s $@\n' "$ar" "$ranlib"
    echo "%.o: $jpeg/%.c"
    printf '\t%s -O2 -I%s -I%s -c $< -o $@\n' "$cc" "$jpeg" "$src/boinc/win_build"
  } > "$out/Makefile"
  $nice_cmd make -s -C "$out" -j"$jobs"
  for h in jpeglib.h jconfig.h jmorecfg.h jerror.h; do cp "$jpeg/$h" "$deps/include/"; done
  cp "$src/boinc/win_build/win-config.h" "$deps/include/"   # jconfig.h includes it
  cp "$out/libjpeg.a" "$deps/lib/"
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
  local flags="-I$boinc/samples/jpeglib -I$boinc/samples/image_libs -I$deps/include/GL -I$deps/include -DFREEGLUT_STATIC"
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
step unpack_sources "$src/freeglut/CMakeLists.txt" unpack_sources
step libjpeg "$deps/lib/libjpeg.a" build_libjpeg
step freeglut "$deps/lib/libfreeglut_static.a" build_freeglut
step boinc_libraries "$deps/lib/libboinc.a" build_boinc_libs
step delay_import_libraries "$deps/lib/libglu32_delay.a" make_delay_import_libs
echo "windows dependencies in $deps (took $(( $(date +%s) - t_all )) s)"
