#!/usr/bin/env bash
# The kernel test lane: boots Debian's own kernel in QEMU with the host's root shared read-only,
# and runs the tests that need a real kernel inside it: the HID backend against uhid, and the
# real program against the simulated thermometer's cable played as a USB gadget (dummy_hcd).
# Then it cuts the power under a recording: a guest records onto an ext4 disk image until QEMU is
# killed, and a second boot checks what the journal on that disk kept.
# Exits non-zero when the guest cannot be booted or any of its tests fails.
#
#   BUILD_DIR        the build folder with the programs and tests (default build)
#   KERNEL_LANE_DIR  downloaded packages, the kernel and the guest's output (default build-kernel)
#   TQ612_UDEV_RULE  the udev rule the guest applies (default the one the package installs)
#   KERNEL_LANE_ONLY names of test_kernel_lane's test functions to run, blank-separated (default all)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=$(realpath -m "${BUILD_DIR:-build}")
LANE_DIR=$(realpath -m "${KERNEL_LANE_DIR:-build-kernel}")
UDEV_RULE=$(realpath "${TQ612_UDEV_RULE:-packaging/70-tq612.rules}")
GUEST_SECONDS=${KERNEL_LANE_TIMEOUT:-480}

bash scripts/setup.sh
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD_DIR" --target test_link test_kernel_lane tq612-gadget-cable journal_crash_child

# Debian's kernel package, downloaded once and kept in the lane folder.
mkdir -p "$LANE_DIR/debs"
deb=$(ls "$LANE_DIR"/debs/linux-image-*.deb 2>/dev/null | head -n 1 || true)
if [ -z "$deb" ]; then
  pick() { apt-cache depends linux-image-amd64 2>/dev/null | awk '/Depends: linux-image-[0-9]/{print $2; exit}'; }
  package=$(pick)
  if [ -z "$package" ]; then apt-get update -qq; package=$(pick); fi
  (cd "$LANE_DIR/debs" && apt-get download -qq -o APT::Sandbox::User=root "$package")
  deb=$(ls "$LANE_DIR"/debs/linux-image-*.deb | head -n 1)
fi
KERNEL_DIR="$LANE_DIR/kernel"
if [ ! -f "$KERNEL_DIR/.unpacked" ] || [ "$(cat "$KERNEL_DIR/.unpacked")" != "$(basename "$deb")" ]; then
  rm -rf "$KERNEL_DIR"
  dpkg -x "$deb" "$KERNEL_DIR"
  basename "$deb" >"$KERNEL_DIR/.unpacked"
fi
vmlinuz=$(ls "$KERNEL_DIR"/boot/vmlinuz-* | head -n 1)
modules=$(ls -d "$KERNEL_DIR"/lib/modules/* | head -n 1)

# The initramfs: our init and the modules it loads, dependencies first (read from each
# module's .modinfo, since the package ships no modules.dep).
INITRAMFS="$LANE_DIR/initramfs"
rm -rf "$INITRAMFS"
mkdir -p "$INITRAMFS/modules" "$INITRAMFS/dev" "$INITRAMFS/proc" "$INITRAMFS/sys"
cc -static -O2 -Wall -o "$INITRAMFS/init" tests/kernel/guest_init.c
declare -A module_file=() loaded=()
while IFS= read -r file; do
  name=$(basename "$file" .ko)
  module_file[${name//-/_}]=$file
done < <(find "$modules/kernel" -name '*.ko')
order=()
add_module() {
  local name=${1//-/_} dep
  [ -n "${loaded[$name]:-}" ] && return
  loaded[$name]=1
  local file=${module_file[$name]:-}
  [ -n "$file" ] || return 0  # built into the kernel
  for dep in $(objcopy -O binary --only-section=.modinfo "$file" /dev/stdout | tr '\0' '\n' | sed -n 's/^depends=//p' | tr ',' ' '); do
    add_module "$dep"
  done
  cp "$file" "$INITRAMFS/modules/"
  order+=("$(basename "$file")")
}
for wanted in virtio_pci 9pnet_virtio 9p uhid hid_generic usbhid configfs libcomposite usb_f_hid dummy_hcd \
  virtio_blk crc32c_generic ext4; do
  add_module "$wanted"
done
printf '%s\n' "${order[@]}" >"$INITRAMFS/modules.list"
(cd "$INITRAMFS" && find . | busybox cpio -o -H newc --quiet) >"$LANE_DIR/initramfs.cpio"

# What the guest runs, one command a line; its output folder is shared writable at this path.
OUT="$LANE_DIR/out"
rm -rf "$OUT"
mkdir -p "$OUT"
# The guest mounts its own /tmp; the checkout and the build folder stay visible when they lie there.
keep=$( { echo "$PWD"; echo "$BUILD_DIR"; } | grep '^/tmp/' | paste -sd, || true)
accel=tcg,thread=multi
if grep -qE '\b(vmx|svm)\b' /proc/cpuinfo && [ -w /dev/kvm ]; then accel=kvm; fi
# The QEMU command that boots the guest on one plan, with any further QEMU arguments, in $qemu.
guest() {
  local plan=$1
  shift
  qemu=(qemu-system-x86_64
    -accel "$accel" -cpu max -smp 2 -m 1024 -nodefaults -display none -no-reboot
    -serial stdio -monitor none
    -kernel "$vmlinuz" -initrd "$LANE_DIR/initramfs.cpio"
    -append "console=ttyS0 quiet loglevel=3 panic=-1 rdinit=/init tq612.out=$OUT tq612.plan=$plan${keep:+ tq612.keep=$keep}"
    -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap
    -virtfs "local,path=$OUT,mount_tag=results,security_model=none,multidevs=remap" "$@")
}
# Checks that every command of a plan ran and succeeded.
check_plan() {
  local plan=$1 expected ran failed
  expected=$(grep -c . "$OUT/$plan")
  ran=$(grep -c . "$OUT/$plan.results" 2>/dev/null || echo 0)
  failed=$(awk -F'\t' '$1 != 0' "$OUT/$plan.results" 2>/dev/null | wc -l)
  if [ "$ran" -ne "$expected" ] || [ "$failed" -ne 0 ]; then
    echo "kernel lane: $plan FAILED ($ran of $expected guest commands ran, $failed failed)"
    awk -F'\t' '$1 != 0 {print "  exit " $1 ": " $2}' "$OUT/$plan.results" 2>/dev/null || true
    return 1
  fi
  echo "kernel lane: $plan: all $expected guest commands succeeded"
}
boot() {
  local plan=$1 started=$SECONDS status=0
  shift
  echo "kernel lane: booting $(basename "$vmlinuz") ($accel) for $plan"
  guest "$plan" "$@"
  timeout --foreground "$GUEST_SECONDS" "${qemu[@]}" </dev/null || status=$?
  echo "kernel lane: guest ran $((SECONDS - started)) s"
  if [ "$status" -ne 0 ]; then
    echo "kernel lane: QEMU ended with status $status (124: the guest ran out of time)"
    return 1
  fi
  check_plan "$plan"
}

cat >"$OUT/plan" <<PLAN
/bin/mkdir -p /run/udev/rules.d
/bin/cp $UDEV_RULE /run/udev/rules.d/70-tq612.rules
/lib/systemd/systemd-udevd --daemon
$BUILD_DIR/tests/link/test_link --gtest_filter=LinuxHidBackend.*
$BUILD_DIR/tests/kernel/test_kernel_lane ${KERNEL_LANE_ONLY:-}
PLAN
boot plan

# The power cut. The disk image is written through QEMU's cache: killing QEMU loses what the
# guest had not yet written to its disk, and nothing the disk already has.
DISK="$LANE_DIR/power-cut.img"
truncate -s 256M "$DISK"
mkfs.ext4 -q -F "$DISK"
disk=(-drive "file=$DISK,format=raw,if=virtio,cache=writeback")
for plan in power-cut-record power-cut-check; do
  cat >"$OUT/$plan" <<PLAN
/bin/mkdir -p /tmp/disk
/bin/mount -t ext4 /dev/vda /tmp/disk
PLAN
done
echo "$BUILD_DIR/tests/session/journal_crash_child /tmp/disk/journal" >>"$OUT/power-cut-record"
echo "/usr/bin/python3 $PWD/tests/kernel/power_cut.py check /tmp/disk/journal/journal.sqlite $OUT/power-cut-restored" \
  >>"$OUT/power-cut-check"
echo "kernel lane: booting $(basename "$vmlinuz") ($accel) for power-cut-record, to be cut"
guest power-cut-record "${disk[@]}"
python3 tests/kernel/power_cut.py record "$OUT/power-cut-rows" -- "${qemu[@]}"
boot power-cut-check "${disk[@]}"
python3 tests/kernel/power_cut.py compare "$OUT/power-cut-rows" "$OUT/power-cut-restored"
rm -f "$DISK"
echo "kernel lane: all plans passed"
