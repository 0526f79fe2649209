#!/bin/bash
# imports_test.sh WINDOWS_BUILD_DIR
# The Windows programs are linked statically: their import tables name only
# DLLs every Windows has, and the computation binds OpenGL and GLU only when
# its display starts (delay-loaded), so it starts on a host without them.
set -u
dir=$1
objdump=x86_64-w64-mingw32-objdump
system='^(ADVAPI32|GDI32|KERNEL32|SHELL32|USER32|WINMM|WS2_32|msvcrt|OPENGL32|GLU32)\.dll$'
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
imports() { $objdump -p "$dir/$1" | awk '/DLL Name/ {print $3}' | sort -u; }

computation=$(cd "$dir" && ls tidewrack.exe tidewrack_[0-9]*.exe 2>/dev/null | head -1)
graphics=$(cd "$dir" && ls tidewrack_graphics*.exe 2>/dev/null | head -1)
[ -n "$computation" ] && [ -n "$graphics" ] || { echo "FAIL: no programs in $dir"; exit 1; }
for exe in "$computation" "$graphics"; do
  [ -f "$dir/$exe" ] || { fail "$exe missing"; continue; }
  echo "$exe imports: $(imports "$exe" | tr '\n' ' ')"
  for dll in $(imports "$exe"); do
    [[ $dll =~ $system ]] || fail "$exe imports $dll, which is not a system DLL"
  done
done
imports "$computation" | grep -qix 'opengl32.dll\|glu32.dll' &&
  fail "$computation imports OpenGL at start-up"
imports "$graphics" | grep -qix 'opengl32.dll' || fail "$graphics does not import opengl32"
# The delay-loaded names stand in the computation as plain strings.
for dll in opengl32.dll glu32.dll; do
  grep -aqx "$dll" <(strings -a "$dir/$computation") || fail "$computation does not delay-load $dll"
done
[ "$failures" = 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "passed"
