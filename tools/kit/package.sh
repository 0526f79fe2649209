#!/bin/bash
# package.sh [--from BUILD_DIR] [--platforms all|LIST] [--version X.YY] OUT
#
# Writes the operator's kit into OUT:
#   OUT/apps/tidewrack/<version>/<platform>/  one app version per platform as
#       the project's update_versions reads it: version.xml and every file
#       under an immutable, versioned physical name (shared libraries copied
#       into the slot under their SONAME)
#   OUT/anonymous/<platform>/   app_info.xml and the same files, for volunteers
#       who run their own build (the anonymous platform)
#   OUT/templates/   the work unit and result templates
#   OUT/slideshow/   the pictures of the Manager's Simple view (from
#       data/slideshow, made by tools/kit/slideshow.sh) and project_files.xml
#   OUT/README       what the operator runs, in order
# --platforms takes "all" or a comma-separated list of BOINC platform names
# (default: x86_64-pc-linux-gnu). x86_64-pc-linux-gnu is this machine's build
# (tools/build/build.sh, or the finished build --from names); the others are built
# by tools/build/build_platform.sh into build-PLATFORM/. A platform that cannot be
# built on this machine is named and left out, its old folders removed, and
# the exit status is then 3.
# --version gives the app version another number than the program's own, for
# publishing the same build again as a new version.
# --windows BUILD_DIR packs windows_x86_64 from a finished
# tools/build/build_platform.sh windows_x86_64 build instead of building it.
set -euo pipefail
cd "$(dirname "$0")/../.."
source_dir=$(pwd)

all_platforms=(x86_64-pc-linux-gnu windows_x86_64 aarch64-unknown-linux-gnu arm-unknown-linux-gnueabihf)
usage() {
  echo "usage: bash tools/kit/package.sh [--from BUILD_DIR] [--platforms all|PLATFORM,...] [--version X.YY] [--windows BUILD_DIR] OUT" >&2
  echo "platforms: ${all_platforms[*]}" >&2
  exit 2
}
build_dir=""
platforms=(x86_64-pc-linux-gnu)
windows_build_dir=""
version_given=""
while [ $# -gt 1 ]; do
  case $1 in
    --from) build_dir=$(realpath "$2"); shift 2 ;;
    --platforms)
      if [ "$2" = all ]; then platforms=("${all_platforms[@]}"); else IFS=, read -r -a platforms <<< "$2"; fi
      shift 2 ;;
    --version) version_given=$2; shift 2 ;;
    --windows) windows_build_dir=$(realpath "$2"); shift 2 ;;
    *) break ;;
  esac
done
[ $# -eq 1 ] && [ "${1:0:1}" != "-" ] || usage
out=$1
# --windows names the Windows build: that platform is packed too.
[ -z "$windows_build_dir" ] || [[ " ${platforms[*]} " == *" windows_x86_64 "* ]] || platforms+=(windows_x86_64)
for platform in "${platforms[@]}"; do
  [[ " ${all_platforms[*]} " == *" $platform "* ]] || { echo "package.sh: unknown platform '$platform'" >&2; usage; }
done

fail() { echo "package.sh: $*" >&2; exit 1; }

app=tidewrack

# The version the program shows ("4.87" -> version number 487).
panels=$source_dir/src/graphics/panels.cpp
major=$(sed -n 's/^const int major_version = \([0-9]*\);.*/\1/p' "$panels")
minor=$(sed -n 's/^const int minor_version = \([0-9]*\);.*/\1/p' "$panels")
[ -n "$major" ] && [ -n "$minor" ] || fail "no major_version/minor_version in $panels"
if [ -n "$version_given" ]; then
  [[ $version_given =~ ^([0-9]+)\.([0-9][0-9])$ ]] || fail "--version takes X.YY, not '$version_given'"
  major=${BASH_REMATCH[1]}; minor=${BASH_REMATCH[2]}
fi
version=$major.$(printf '%02d' "$((10#$minor))")
version_num=$((major * 100 + 10#$minor))

# ---- one platform's app version ---------------------------------------------

# What the loader resolves for FILE, one "NAME PATH" a line ("NAME not" when
# it is missing), the whole tree as ldd gives it.
resolve_native() {
  ldd "$1" | awk '$2 == "=>" { print $1, $3 }'
}
# The same for another architecture, which ldd cannot run: the NEEDED entries,
# looked up in the target loader's own folders (/lib/TRIPLET, /usr/lib/TRIPLET)
# and followed through each library found.
cross_triplet=""
resolve_cross() {
  local -A seen=()
  local queue=("$1") file name dir path
  while [ ${#queue[@]} -gt 0 ]; do
    file=${queue[0]}; queue=("${queue[@]:1}")
    for name in $(readelf -d "$file" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
      [ -z "${seen[$name]:-}" ] || continue
      path=not
      for dir in "/lib/$cross_triplet" "/usr/lib/$cross_triplet"; do
        [ -e "$dir/$name" ] && { path=$dir/$name; break; }
      done
      seen[$name]=$path
      echo "$name $path"
      [ "$path" = not ] || queue+=("$path")
    done
  done
}

# How each platform's files are named and found: sets program_suffix,
# module_name, resolve (the function above that resolves shared libraries, or
# "" when the programs need none) and boinc_include_dir, from the build.
platform_files() {   # platform_files PLATFORM BUILD_DIR
  program_suffix=""; module_name=tidewrack_display.so
  boinc_include_dir=$(sed -n 's/^BOINC_LIB_INCLUDE_DIR:PATH=//p' "$2/CMakeCache.txt" 2>/dev/null || true)
  boinc_include_dir=${boinc_include_dir%/lib}
  case $1 in
    x86_64-pc-linux-gnu) resolve=resolve_native ;;
    aarch64-unknown-linux-gnu) resolve=resolve_cross; cross_triplet=aarch64-linux-gnu ;;
    arm-unknown-linux-gnueabihf) resolve=resolve_cross; cross_triplet=arm-linux-gnueabihf ;;
  esac
}

# Builds a platform other than this machine's; false (and why) when the
# machine cannot build it.
build_platform() {   # build_platform PLATFORM
  local status=0
  bash tools/build/build_platform.sh "$1" > "$out/build-$1.log" 2>&1 || status=$?
  case $status in
    0) rm -f "$out/build-$1.log"; return 0 ;;
    3) not_built+=("$1: $(tail -n 1 "$out/build-$1.log" | sed 's/^build_platform.sh: .* cannot be built here: //')")
       rm -f "$out/build-$1.log"; return 1 ;;
    *) tail -n 40 "$out/build-$1.log" >&2; fail "tools/build/build_platform.sh $1 failed (log: $out/build-$1.log)" ;;
  esac
}

pack_platform() {   # pack_platform PLATFORM BUILD_DIR
  local platform=$1 build_dir=$2
  platform_files "$platform" "$build_dir"

# Every file of the app version: source, physical name, logical name, role
# (copy: the client copies the file into the slot instead of linking it).
entries=()
add() {   # add SOURCE PHYSICAL LOGICAL ROLE(main|file|copy)
  [ -f "$1" ] || fail "$1 is missing"
  entries+=("$1|$2|$3|$4")
}
add "$build_dir/tidewrack$program_suffix" "${app}_${version}_${platform}$program_suffix" "" main
# The graphics program is copied into the slot too, so that slots/N/graphics_app
# is the program itself. The Manager starts the project directory's copy, in
# the slot and without the computation's library path: it finds the libraries
# through its RPATH ".", the slot.
add "$build_dir/tidewrack_graphics$program_suffix" "${app}_graphics_${version}_${platform}$program_suffix" graphics_app copy
add "$build_dir/$module_name" "${app}_display_${version}_${platform}.${module_name##*.}" "$module_name" file
for picture in earthlights2 leftimage2; do
  add "$build_dir/$picture.jpg" "${picture}_${version}.jpg" "$picture.jpg" file
done

# The API version we build against: the headers' version, which must be the
# version the linked API library carries.
api_version=$(sed -n 's/^#define BOINC_VERSION_STRING "\(.*\)"/\1/p' "$boinc_include_dir/version.h" 2>/dev/null || true)
[ -n "$api_version" ] || fail "BOINC_VERSION_STRING not found in $boinc_include_dir/version.h"
if [ -n "$resolve" ]; then
  api_library=$($resolve "$build_dir/tidewrack" | sed -n 's/^libboinc_api\.so\.[0-9]* \(\S*\)$/\1/p')
  [ -n "$api_library" ] && [ "$api_library" != not ] || fail "$build_dir/tidewrack does not link libboinc_api"
  grep -aq "API_VERSION_${api_version}\b" "$api_library" ||
    fail "$api_library is not API version $api_version"
fi

# Shared libraries, decided from what the loader resolves for each program:
# - shipped: BOINC's libraries (hosts have at most the client's libboinc, and
#   the version must match ours), and what the display needs beyond the X/GL
#   stack of a desktop: freeglut, GLU, and libjpeg for libboinc_graphics2;
# - the host's: the C and C++ runtime, the OpenGL driver (libGL and its
#   dispatch libraries must match the host's hardware) and the X client
#   libraries every desktop has.
# A library in neither list stops the packing, so that a new dependency is
# decided on, not shipped or forgotten by accident. Every Linux platform
# ships the same set.
ship_pattern='^(libboinc_api|libboinc|libboinc_graphics2|libglut|libGLU|libjpeg)\.so\.'
host_pattern='^(linux-vdso|ld-linux-x86-64|ld-linux-aarch64|ld-linux-armhf|libc|libm|libdl|libpthread|librt|libstdc\+\+|libgcc_s|libGL|libGLX|libGLdispatch|libOpenGL|libX11|libXext|libXi|libXxf86vm|libXau|libXdmcp|libxcb|libbsd|libmd)\.so'
declare -A libraries=()
for entry in "${entries[@]}"; do
  IFS='|' read -r source physical logical role <<< "$entry"
  case $source in *.jpg) continue ;; esac
  [ -n "$resolve" ] || continue
  while read -r name path; do
    [ "$path" != "not" ] || fail "$source needs $name, which is not found"
    if [[ $name =~ $ship_pattern ]]; then
      soname=$(readelf -d "$path" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
      [ "$soname" = "$name" ] || fail "$path has SONAME '$soname', expected $name"
      libraries[$name]=$path
    elif ! [[ $name =~ $host_pattern ]]; then
      fail "$source needs $name ($path): decide whether it is shipped or the host's"
    fi
  done < <($resolve "$source")
done
# A library keeps its SONAME only as logical name: the client copies it into
# the slot, which is on the computation's library path and where the display
# module and the graphics program run from. The physical name carries the
# version and the platform, because a project's files never change content
# under a name: the next version, and each platform, ship other builds of the
# same SONAME into the one download folder.
for name in $(printf '%s\n' "${!libraries[@]}" | sort); do
  entries+=("$(realpath "${libraries[$name]}")|${app}_${version}_${platform}_$name|$name|copy")
done

version_dir=$out/apps/$app/$version/$platform
anonymous_dir=$out/anonymous/$platform
rm -rf "$version_dir" "$anonymous_dir"
mkdir -p "$version_dir" "$anonymous_dir"
xml_file() {   # the <file> element of version.xml
  printf '    <file>\n        <physical_name>%s</physical_name>\n' "$1"
  [ "$3" = main ] && printf '        <main_program/>\n'
  [ -n "$2" ] && printf '        <logical_name>%s</logical_name>\n' "$2"
  [ "$3" = copy ] && printf '        <copy_file/>\n'
  printf '    </file>\n'
}
{
  echo "<version>"
  for entry in "${entries[@]}"; do
    IFS='|' read -r source physical logical role <<< "$entry"
    install -m "$( [ -x "$source" ] && echo 755 || echo 644)" "$source" "$version_dir/$physical"
    install -m "$( [ -x "$source" ] && echo 755 || echo 644)" "$source" "$anonymous_dir/$physical"
    xml_file "$physical" "$logical" "$role"
  done
  echo "    <api_version>$api_version</api_version>"
  echo "</version>"
} > "$version_dir/version.xml"

{
  cat <<EOF
<app_info>
    <app>
        <name>$app</name>
        <user_friendly_name>Tidewrack</user_friendly_name>
    </app>
EOF
  for entry in "${entries[@]}"; do
    IFS='|' read -r source physical logical role <<< "$entry"
    printf '    <file_info>\n        <name>%s</name>\n' "$physical"
    [ -x "$source" ] && [ "${physical%.so*}" = "$physical" ] && printf '        <executable/>\n'
    printf '    </file_info>\n'
  done
  cat <<EOF
    <app_version>
        <app_name>$app</app_name>
        <version_num>$version_num</version_num>
        <platform>$platform</platform>
        <api_version>$api_version</api_version>
EOF
  for entry in "${entries[@]}"; do
    IFS='|' read -r source physical logical role <<< "$entry"
    printf '        <file_ref>\n            <file_name>%s</file_name>\n' "$physical"
    [ "$role" = main ] && printf '            <main_program/>\n'
    [ -n "$logical" ] && printf '            <open_name>%s</open_name>\n' "$logical"
    [ "$role" = copy ] && printf '            <copy_file/>\n'
    printf '        </file_ref>\n'
  done
  cat <<EOF
    </app_version>
</app_info>
EOF
} > "$anonymous_dir/app_info.xml"
  packed+=("$platform")
}

# ---- every platform asked for --------------------------------------------------
mkdir -p "$out"
packed=(); not_built=()
for platform in "${platforms[@]}"; do
  if [ "$platform" = x86_64-pc-linux-gnu ]; then
    if [ "$(uname -m)" != x86_64 ]; then
      not_built+=("$platform: this machine is not x86_64")
    elif [ -n "$build_dir" ]; then
      pack_platform "$platform" "$build_dir"
    else
      bash tools/build/build.sh tidewrack tidewrack_display tidewrack_graphics
      pack_platform "$platform" "$source_dir/build"
    fi
  elif [ "$platform" = windows_x86_64 ]; then
    # static programs with the display inside: packed on their own
    if [ -n "$windows_build_dir" ] || build_platform "$platform"; then
      source "$source_dir/tools/kit/package_windows.sh"
      add_windows_app_version "$out" "$app" "$version" "$version_num" \
        "${windows_build_dir:-$source_dir/build-$platform}" || fail "no windows_x86_64 app version"
      packed+=("$platform")
    fi
  elif build_platform "$platform"; then
    pack_platform "$platform" "$source_dir/build-$platform"
  fi
done
# a platform left out must not leave an old build behind in the kit
for line in "${not_built[@]}"; do
  rm -rf "$out/apps/$app/$version/${line%%:*}" "$out/anonymous/${line%%:*}"
done
[ ${#packed[@]} -gt 0 ] || fail "no platform could be built: $(printf '%s; ' "${not_built[@]}")"

templates_dir=$out/templates
rm -rf "$templates_dir"
mkdir -p "$templates_dir"

# ---- templates --------------------------------------------------------------
# Measured here: one work unit from scratch under the BOINC 7.20.5 client took
# 58.0 s of CPU time (56.5 s standalone); the client's benchmark gave 7789
# floating-point MIPS (Whetstone) per CPU on the same machine.
measured_machine="Intel(R) Xeon(R) Processor (family 6, model 167), 2 virtual CPUs, Debian 12, BOINC client 7.20.5 (December 2026)"
work_unit_cpu_seconds=58.0
benchmark_fpops=7.789e9
fpops_est=$(awk -v t="$work_unit_cpu_seconds" -v f="$benchmark_fpops" 'BEGIN { printf "%.3g", t * f }')
# The bound stops a task that runs away: twenty times the estimate, since the
# busy loop (integer random numbers) and the benchmark weigh CPUs differently.
fpops_bound=$(awk -v e="$fpops_est" 'BEGIN { printf "%.3g", e * 20 }')
# out.txt grows by one header block at every start of the program: about 300
# bytes with ordinary names, 5.7 kB with every name at the framework's longest
# (255 bytes, the data directory 4095). 2 MB allows 350 starts at the longest.
max_nbytes=2000000

cat > "$templates_dir/${app}_in" <<EOF
<input_template>
    <workunit>
        <rsc_fpops_est>$fpops_est</rsc_fpops_est>
        <rsc_fpops_bound>$fpops_bound</rsc_fpops_bound>
        <rsc_memory_bound>200000000</rsc_memory_bound>
        <rsc_disk_bound>100000000</rsc_disk_bound>
        <delay_bound>604800</delay_bound>
        <min_quorum>1</min_quorum>
        <target_nresults>1</target_nresults>
    </workunit>
</input_template>
EOF
cat > "$templates_dir/${app}_out" <<EOF
<output_template>
    <file_info>
        <name><OUTFILE_0/></name>
        <generated_locally/>
        <upload_when_present/>
        <max_nbytes>$max_nbytes</max_nbytes>
        <url><UPLOAD_URL/></url>
    </file_info>
    <result>
        <file_ref>
            <file_name><OUTFILE_0/></file_name>
            <open_name>out.txt</open_name>
        </file_ref>
    </result>
</output_template>
EOF
cat > "$templates_dir/${app}_fpops.txt" <<EOF
rsc_fpops_est $fpops_est = $work_unit_cpu_seconds s of CPU time for one work unit x $benchmark_fpops FLOPS (BOINC benchmark)
rsc_fpops_bound $fpops_bound = 20 x rsc_fpops_est
Measured on: $measured_machine
EOF

# ---- the Simple view's slideshow and project icon ---------------------------
# The client fetches what the project's project_files.xml lists into its
# project directory, under the open names the Manager looks for.
slideshow_dir=$out/slideshow
rm -rf "$slideshow_dir"; mkdir -p "$slideshow_dir"
{
  pictures=()
  for picture in "$source_dir"/data/slideshow/slideshow_[0-9][0-9].png "$source_dir"/data/slideshow/stat_icon.png; do
    [ -f "$picture" ] || fail "$picture is missing (tools/kit/slideshow.sh makes it)"
    name=$(basename "$picture" .png)
    case $name in slideshow_*) open_name=slideshow_${app}_${name#slideshow_} ;; *) open_name=$name ;; esac
    physical=${open_name}_$version.png
    install -m 644 "$picture" "$slideshow_dir/$physical"
    printf '<file_info>\n    <name>%s</name>\n    <url>@DOWNLOAD_URL@/%s</url>\n' "$physical" "$physical"
    printf '    <nbytes>%s</nbytes>\n    <md5_cksum>%s</md5_cksum>\n</file_info>\n' \
      "$(stat -c %s "$picture")" "$(md5sum "$picture" | cut -d' ' -f1)"
    pictures+=("$physical|$open_name")
  done
  echo "<project_files>"
  for entry in "${pictures[@]}"; do
    printf '    <file_ref>\n        <file_name>%s</file_name>\n        <open_name>%s</open_name>\n    </file_ref>\n' \
      "${entry%%|*}" "${entry#*|}"
  done
  echo "</project_files>"
} > "$slideshow_dir/project_files.xml"

sed -e "s/@VERSION@/$version/g" -e "s/@VERSION_NUM@/$version_num/g" -e "s/@PLATFORMS@/${packed[*]}/g" \
    -e "s/@API_VERSION@/$api_version/g" -e "s/@FPOPS_EST@/$fpops_est/g" -e "s/@FPOPS_BOUND@/$fpops_bound/g" \
    -e "s/@MAX_NBYTES@/$max_nbytes/g" "$source_dir/tools/kit/package_readme.txt" > "$out/README"
install -m 755 "$source_dir/tools/kit/validate_report.py" "$out/validate_report.py"

echo "Kit written to $out:"
(cd "$out" && find . -type f | sort | sed 's/^\.\//  /')
echo "Platforms packed: ${packed[*]}"
if [ ${#not_built[@]} -gt 0 ]; then
  echo "package.sh: NOT packed, cannot be built on this machine:" >&2
  printf '  %s\n' "${not_built[@]}" >&2
  exit 3
fi
