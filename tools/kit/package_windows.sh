# Sourced by tools/kit/package.sh: the windows_x86_64 app version.
#
# add_windows_app_version OUT APP VERSION VERSION_NUM WINDOWS_BUILD_DIR
# writes OUT/apps/APP/VERSION/windows_x86_64/ (version.xml and the files
# under versioned physical names) and OUT/anonymous/windows_x86_64/
# (app_info.xml and the same files). The programs are static, so no library
# travels with them; the display is inside the computation, so there is no
# display module. The executables are stripped of their debugging data.
add_windows_app_version() {
  local out=$1 app=$2 version=$3 version_num=$4 build=$5
  local platform=windows_x86_64
  local version_dir=$out/apps/$app/$version/$platform anonymous_dir=$out/anonymous/$platform
  local api_version
  api_version=$(sed -n 's/^#define BOINC_VERSION_STRING "\(.*\)"/\1/p' "$build/deps/include/boinc/version.h")
  [ -n "$api_version" ] || { echo "package: no BOINC version in $build/deps/include/boinc/version.h" >&2; return 1; }
  local entries=(
    "$build/tidewrack.exe|${app}_${version}_${platform}.exe||main"
    "$build/tidewrack_graphics.exe|${app}_graphics_${version}_${platform}.exe|graphics_app|file"
    "$build/earthlights2.jpg|earthlights2_${version}.jpg|earthlights2.jpg|file"
    "$build/leftimage2.jpg|leftimage2_${version}.jpg|leftimage2.jpg|file"
  )
  rm -rf "$version_dir" "$anonymous_dir"
  mkdir -p "$version_dir" "$anonymous_dir"
  local entry source physical logical role
  for entry in "${entries[@]}"; do
    IFS='|' read -r source physical logical role <<< "$entry"
    [ -f "$source" ] || { echo "package: $source is missing (bash tools/build/build_platform.sh $platform)" >&2; return 1; }
    case $physical in
      *.exe) x86_64-w64-mingw32-strip -o "$version_dir/$physical" "$source" ;;
      *) install -m 644 "$source" "$version_dir/$physical" ;;
    esac
    cp "$version_dir/$physical" "$anonymous_dir/$physical"
  done
  {
    echo "<version>"
    for entry in "${entries[@]}"; do
      IFS='|' read -r source physical logical role <<< "$entry"
      printf '    <file>\n        <physical_name>%s</physical_name>\n' "$physical"
      [ "$role" = main ] && printf '        <main_program/>\n'
      [ -n "$logical" ] && printf '        <logical_name>%s</logical_name>\n' "$logical"
      printf '    </file>\n'
    done
    echo "    <api_version>$api_version</api_version>"
    echo "</version>"
  } > "$version_dir/version.xml"
  {
    printf '<app_info>\n    <app>\n        <name>%s</name>\n        <user_friendly_name>Tidewrack</user_friendly_name>\n    </app>\n' "$app"
    for entry in "${entries[@]}"; do
      IFS='|' read -r source physical logical role <<< "$entry"
      printf '    <file_info>\n        <name>%s</name>\n' "$physical"
      case $physical in *.exe) printf '        <executable/>\n' ;; esac
      printf '    </file_info>\n'
    done
    printf '    <app_version>\n        <app_name>%s</app_name>\n        <version_num>%s</version_num>\n' "$app" "$version_num"
    printf '        <platform>%s</platform>\n        <api_version>%s</api_version>\n' "$platform" "$api_version"
    for entry in "${entries[@]}"; do
      IFS='|' read -r source physical logical role <<< "$entry"
      printf '        <file_ref>\n            <file_name>%s</file_name>\n' "$physical"
      [ "$role" = main ] && printf '            <main_program/>\n'
      [ -n "$logical" ] && printf '            <open_name>%s</open_name>\n' "$logical"
      printf '        </file_ref>\n'
    done
    printf '    </app_version>\n</app_info>\n'
  } > "$anonymous_dir/app_info.xml"
  echo "windows_x86_64 app version written to $version_dir and $anonymous_dir"
}
