# binfmt.sh: sourced. Kernel handlers that let a real client exec another
# platform's program, registered for one test and removed after it:
#   binfmt_start PREFIX   mounts binfmt_misc if it is not (and notes that it did)
#   binfmt_qemu ARCH      ARM programs to Debian's qemu-user, by its package's
#                         own line in /usr/lib/binfmt.d/qemu-ARCH.conf
#   binfmt_wine           Windows programs (MZ) to Wine's 64-bit loader
#   binfmt_stop           removes what binfmt_start and the others added
# Handlers are named PREFIX-..., so that two runs or the system's own never clash.
binfmt_dir=/proc/sys/fs/binfmt_misc
binfmt_prefix=""
binfmt_mounted=0
binfmt_names=()

binfmt_start() {
  binfmt_prefix=$1
  if [ ! -e "$binfmt_dir/register" ]; then
    mount -t binfmt_misc binfmt_misc "$binfmt_dir" || return 1
    binfmt_mounted=1
  fi
}

binfmt_add() {   # binfmt_add NAME LINE-WITHOUT-NAME
  printf ':%s%s' "$binfmt_prefix-$1" "$2" > "$binfmt_dir/register" || return 1
  binfmt_names+=("$binfmt_prefix-$1")
}

binfmt_qemu() {
  local line
  line=$(cat "/usr/lib/binfmt.d/qemu-$1.conf" 2>/dev/null) || return 1
  # ":qemu-ARCH:M::magic:mask:interpreter:flags": the same, under our name
  binfmt_add "$1" ":${line#:*:}"
}

binfmt_wine() {
  # /usr/bin/wine is a shell script choosing a loader; the kernel wants the
  # loader itself. It takes the .exe as its first argument.
  [ -x /usr/lib/wine/wine64 ] || return 1
  binfmt_add wine ":M::MZ::/usr/lib/wine/wine64:"
}

binfmt_stop() {
  local name
  for name in "${binfmt_names[@]}"; do
    [ -e "$binfmt_dir/$name" ] && echo -1 > "$binfmt_dir/$name"
  done
  binfmt_names=()
  if [ $binfmt_mounted = 1 ]; then umount "$binfmt_dir" && binfmt_mounted=0; fi
  return 0
}
