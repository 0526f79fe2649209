#!/bin/bash
# package.sh [--from BUILD_DIR] OUT
#
# Writes the operator's kit into OUT:
#   OUT/apps/tidewrack/<version>/x86_64-pc-linux-gnu/  the app version as the
#       project's update_versions reads it: version.xml and every file under an
#       immutable, versioned physical name (shared libraries under their SONAME)
#   OUT/anonymous/   app_info.xml and the same files, for volunteers who run
#       their own build (the anonymous platform)
#   OUT/templates/   the work unit and result templates
#   OUT/README       what the operator runs, in order
# It builds first (tools/build.sh) unless --from names a finished build.
# --windows BUILD_DIR adds the windows_x86_64 app version from a finished
# tools/build_platform.sh windows_x86_64 build (tools/package_windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$(pwd)

build_dir=""
windows_build_dir=""
while [ $# -gt 1 ]; do
  case $1 in
    --from) build_dir=$(realpath "$2"); shift 2 ;;
    --windows) windows_build_dir=$(realpath "$2"); shift 2 ;;
    *) break ;;
  esac
done
if [ $# -ne 1 ] || [ "${1:0:1}" = "-" ]; then
  echo "usage: bash tools/package.sh [--from BUILD_DIR] [--windows WINDOWS_BUILD_DIR] OUT" >&2
  exit 2
fi
out=$1
if [ -z "$build_dir" ]; then
  bash tools/build.sh
  build_dir=$source_dir/build
fi

fail() { echo "package.sh: $*" >&2; exit 1; }

app=tidewrack
[ "$(uname -m)" = x86_64 ] || fail "this packs x86_64 builds only"
platform=x86_64-pc-linux-gnu

# The version the program shows ("4.87" -> version number 487).
panels=$source_dir/src/graphics/panels.cpp
major=$(sed -n 's/^const int major_version = \([0-9]*\);.*/\1/p' "$panels")
minor=$(sed -n 's/^const int minor_version = \([0-9]*\);.*/\1/p' "$panels")
[ -n "$major" ] && [ -n "$minor" ] || fail "no major_version/minor_version in $panels"
version=$major.$(printf '%02d' "$minor")
version_num=$((major * 100 + 10#$minor))

# Every file of the app version: source, physical name, logical name, role.
entries=()
add() {   # add SOURCE PHYSICAL LOGICAL ROLE(main|file)
  [ -f "$1" ] || fail "$1 is missing"
  entries+=("$1|$2|$3|$4")
}
add "$build_dir/tidewrack" "${app}_${version}_${platform}" "" main
add "$build_dir/tidewrack_graphics" "${app}_graphics_${version}_${platform}" graphics_app file
add "$build_dir/tidewrack_display.so" "${app}_display_${version}_${platform}.so" tidewrack_display.so file
for picture in earthlights2 leftimage2; do
  add "$build_dir/$picture.jpg" "${picture}_${version}.jpg" "$picture.jpg" file
done

# The API version we build against: the headers' version, which must be the
# version the linked API library carries.
api_version=$(sed -n 's/^#define BOINC_VERSION_STRING "\(.*\)"/\1/p' /usr/include/boinc/version.h 2>/dev/null || true)
[ -n "$api_version" ] || fail "BOINC_VERSION_STRING not found in /usr/include/boinc/version.h"
api_library=$(ldd "$build_dir/tidewrack" | sed -n 's/^\s*libboinc_api\.so\.[0-9]* => \(\S*\) .*/\1/p')
[ -n "$api_library" ] || fail "$build_dir/tidewrack does not link libboinc_api"
grep -aq "API_VERSION_${api_version}\b" "$api_library" ||
  fail "$api_library is not API version $api_version"

# Shared libraries, decided from what the loader resolves for each program:
# - shipped: BOINC's libraries (hosts have at most the client's libboinc, and
#   the version must match ours), and what the display needs beyond the X/GL
#   stack of a desktop: freeglut, GLU, and libjpeg for libboinc_graphics2;
# - the host's: the C and C++ runtime, the OpenGL driver (libGL and its
#   dispatch libraries must match the host's hardware) and the X client
#   libraries every desktop has.
# A library in neither list stops the packing, so that a new dependency is
# decided on, not shipped or forgotten by accident.
ship_pattern='^(libboinc_api|libboinc|libboinc_graphics2|libglut|libGLU|libjpeg)\.so\.'
host_pattern='^(linux-vdso|ld-linux-x86-64|libc|libm|libdl|libpthread|librt|libstdc\+\+|libgcc_s|libGL|libGLX|libGLdispatch|libOpenGL|libX11|libXext|libXi|libXxf86vm|libXau|libXdmcp|libxcb|libbsd|libmd)\.so'
declare -A libraries=()
for entry in "${entries[@]}"; do
  IFS='|' read -r source physical logical role <<< "$entry"
  case $source in *.jpg) continue ;; esac
  while read -r name arrow path _; do
    [ "$arrow" = "=>" ] || continue
    [ "$path" != "not" ] || fail "$source needs $name, which is not found"
    if [[ $name =~ $ship_pattern ]]; then
      soname=$(readelf -d "$path" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
      [ "$soname" = "$name" ] || fail "$path has SONAME '$soname', expected $name"
      libraries[$name]=$path
    elif ! [[ $name =~ $host_pattern ]]; then
      fail "$source needs $name ($path): decide whether it is shipped or the host's"
    fi
  done < <(ldd "$source")
done
for name in $(printf '%s\n' "${!libraries[@]}" | sort); do
  entries+=("$(realpath "${libraries[$name]}")|$name||file")
done

version_dir=$out/apps/$app/$version/$platform
anonymous_dir=$out/anonymous
templates_dir=$out/templates
rm -rf "$version_dir" "$anonymous_dir" "$templates_dir"
mkdir -p "$version_dir" "$anonymous_dir" "$templates_dir"

xml_file() {   # the <file> element of version.xml
  printf '    <file>\n        <physical_name>%s</physical_name>\n' "$1"
  [ "$3" = main ] && printf '        <main_program/>\n'
  [ -n "$2" ] && printf '        <logical_name>%s</logical_name>\n' "$2"
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
    printf '        </file_ref>\n'
  done
  cat <<EOF
    </app_version>
</app_info>
EOF
} > "$anonymous_dir/app_info.xml"

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

sed -e "s/@VERSION@/$version/g" -e "s/@VERSION_NUM@/$version_num/g" -e "s/@PLATFORM@/$platform/g" \
    -e "s/@API_VERSION@/$api_version/g" -e "s/@FPOPS_EST@/$fpops_est/g" -e "s/@FPOPS_BOUND@/$fpops_bound/g" \
    -e "s/@MAX_NBYTES@/$max_nbytes/g" "$source_dir/tools/package_readme.txt" > "$out/README"
install -m 755 "$source_dir/tools/validate_report.py" "$out/validate_report.py"

if [ -n "$windows_build_dir" ]; then
  source "$source_dir/tools/package_windows.sh"
  add_windows_app_version "$out" "$app" "$version" "$version_num" "$windows_build_dir" || fail "no windows_x86_64 app version"
fi

echo "Kit written to $out:"
(cd "$out" && find . -type f | sort | sed 's/^\.\//  /')
