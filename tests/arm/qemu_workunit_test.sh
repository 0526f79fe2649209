#!/bin/bash
# qemu_workunit_test.sh PLATFORM BUILD_DIR SOURCE_DIR
# One Linux ARM platform's computation, cross-built by tools/build/build_platform.sh,
# under qemu-user: the client runner starts it in a slot directory, through
# a two-line wrapper since this machine has no binfmt handler for ARM, and it
# runs a work unit from a checkpoint two pulsars before the end. Its out.txt
# must match this machine's own program on the same checkpoint, apart from
# the times and the run directory, and pass the project's validator.
set -u
platform=$1; build_dir=$(realpath "$2"); source_dir=$(realpath "$3")
case $platform in
  aarch64-unknown-linux-gnu) qemu=qemu-aarch64-static ;;
  arm-unknown-linux-gnueabihf) qemu=qemu-arm-static ;;
  *) echo "FAIL: unknown platform $platform"; exit 1 ;;
esac
command -v "$qemu" > /dev/null || { echo "SKIP: $qemu is not installed (tools/build/install_deps.sh)"; exit 0; }
work=$(realpath "$(mktemp -d "${TMPDIR:-/tmp}/tidewrack-qemu-XXXXXX")")
trap 'rm -rf "$work"' EXIT

started=$(date +%s)
status=0
bash "$source_dir/tools/build/build_platform.sh" "$platform" > "$work/build.log" 2>&1 || status=$?
[ $status = 3 ] && { echo "SKIP: $(tail -n 1 "$work/build.log")"; exit 0; }
[ $status = 0 ] || { tail -n 40 "$work/build.log"; echo "FAIL: tools/build/build_platform.sh $platform failed"; exit 1; }
echo "cross build (up to date or not): $(( $(date +%s) - started )) s"
cross_dir=$source_dir/build-$platform

# The loader and libraries are the target's own multiarch ones: QEMU_LD_PREFIX
# would mix the cross toolchain's loader with them.
cat > "$work/$platform-tidewrack" <<WRAPPER
#!/bin/sh
exec env -u QEMU_LD_PREFIX $qemu "$cross_dir/tidewrack" "\$@"
WRAPPER
chmod +x "$work/$platform-tidewrack"

run() {   # run NAME PROGRAM: one resumed work unit under the runner
  mkdir -p "$work/$1/project"
  printf ' 1272 \n 1272 \n' > "$work/$1/project/ckpt_state"
  local t0
  t0=$(date +%s%N)
  "$build_dir/tidewrack_client" --dir "$work/$1" --plain --no-display --max-time 600 \
    --app "$2" --images "$cross_dir" > "$work/$1.log" 2>&1 ||
    { cat "$work/$1.log"; tail -n 20 "$work/$1/slot/stderr.txt"; echo "FAIL: $1: the runner ended with status $?"; exit 1; }
  echo "$1: $(( ($(date +%s%N) - t0) / 1000000 )) ms wall, $(sed -n 's/^ CPU is \(.*\)$/\1/p' "$work/$1/project/out.txt")"
  # times and the run's own directory are all that may differ
  sed -e "s|$work/$1|RUN|g" -e 's/[0-9][0-9.]* seconds/N seconds/g' "$work/$1/project/out.txt" > "$work/$1.report"
}
run native "$build_dir/tidewrack"
run "$platform" "$work/$platform-tidewrack"

grep -q 'called boinc_finish(0)' "$work/$platform/slot/stderr.txt" ||
  { tail -n 20 "$work/$platform/slot/stderr.txt"; echo "FAIL: $platform did not finish"; exit 1; }
diff -u "$work/native.report" "$work/$platform.report" ||
  { echo "FAIL: the $platform report differs from this machine's"; exit 1; }
"$source_dir/tools/kit/validate_report.py" "$work/$platform/project/out.txt" ||
  { echo "FAIL: the project's validator refuses the $platform report"; exit 1; }
echo "passed: the $platform report matches this machine's ($(wc -l < "$work/native.report") lines)"
