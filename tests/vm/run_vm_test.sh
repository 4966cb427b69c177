#!/usr/bin/env bash
# Boots the Debian kernel under QEMU (TCG) with a small initramfs that holds
# busybox, the hid, hid-generic and uhid modules, the kernel HID test and the
# uhid bridge, runs the test there as root (no udevd) and reports its result.
#   run_vm_test.sh KERNEL_HID_TEST UHID_BRIDGE
# Exit codes: 0 passed, 1 failed, 77 skipped (no QEMU or no kernel image).
# R730_VM_KEEP=1 keeps the work folder (initramfs, console log) and names it.
set -euo pipefail

test_program=${1:?usage: run_vm_test.sh KERNEL_HID_TEST UHID_BRIDGE}
bridge_program=${2:?usage: run_vm_test.sh KERNEL_HID_TEST UHID_BRIDGE}
guest_timeout=${R730_VM_TIMEOUT:-150}
marker="VM-TEST-RESULT:"

qemu=$(command -v qemu-system-x86_64 || true)
if [[ -z "$qemu" ]]; then
  echo "skipped: qemu-system-x86_64 is not installed (package qemu-system-x86)"
  exit 77
fi

# The newest kernel image that has the three modules beside it.
kernel="" modules=""
while read -r image; do
  version=${image#/boot/vmlinuz-}
  dir=/lib/modules/$version/kernel/drivers/hid
  if compgen -G "$dir/hid.ko*" >/dev/null && compgen -G "$dir/hid-generic.ko*" >/dev/null &&
     { compgen -G "$dir/uhid.ko*" >/dev/null || compgen -G "$dir/uhid/uhid.ko*" >/dev/null; }; then
    kernel=$image modules=$dir
  fi
done < <(compgen -G "/boot/vmlinuz-*" | sort -V)
if [[ -z "$kernel" ]]; then
  echo "skipped: no /boot/vmlinuz-* with its hid, hid-generic and uhid modules (package linux-image-amd64)"
  exit 77
fi
if [[ ! -r "$kernel" ]]; then
  echo "error: $kernel is not readable (run as root)" >&2
  exit 1
fi
busybox=$(command -v busybox || true)
if [[ -z "$busybox" ]] || ! { LC_ALL=C ldd "$busybox" 2>&1 || true; } | grep -q "not a dynamic"; then
  echo "error: a static busybox is needed (package busybox-static)" >&2
  exit 1
fi
for f in "$test_program" "$bridge_program"; do
  [[ -x "$f" ]] || { echo "error: $f is not built" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/r730-vm.XXXXXX")
if [[ "${R730_VM_KEEP:-0}" == 1 ]]; then
  echo "work folder: $work"
else
  trap 'rm -rf "$work"' EXIT
fi
root=$work/root
mkdir -p "$root"/{bin,dev,proc,sys,tmp,run,modules}
cp "$busybox" "$root/bin/busybox"

# Modules: busybox insmod takes them uncompressed only.
add_module() {
  local name=$1 src
  src=$(compgen -G "$modules/$name.ko*" || compgen -G "$modules/uhid/$name.ko*") || return 1
  src=$(head -n1 <<<"$src")
  case "$src" in
    *.ko.xz) xz -dc "$src" >"$root/modules/$name.ko" ;;
    *.ko.zst) zstd -qdc "$src" >"$root/modules/$name.ko" ;;
    *.ko.gz) gzip -dc "$src" >"$root/modules/$name.ko" ;;
    *.ko) cp "$src" "$root/modules/$name.ko" ;;
    *) return 1 ;;
  esac
}
for m in hid hid-generic uhid; do
  add_module "$m" || { echo "error: cannot take module $m from $modules" >&2; exit 1; }
done

# The programs and every library ldd names, at the same paths.
cp "$test_program" "$root/bin/kernel_hid_test"
cp "$bridge_program" "$root/bin/r730-uhid-bridge"
libs=$(for f in "$test_program" "$bridge_program"; do
  ldd "$f" | awk '$2 == "=>" && $3 ~ /^\// {print $3} $1 ~ /^\// {print $1}'
done | sort -u)
for lib in $libs; do
  mkdir -p "$root$(dirname "$lib")"
  cp -L "$lib" "$root$lib"
done

cat >"$root/init" <<EOF
#!/bin/busybox sh
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
for m in hid hid-generic uhid; do insmod /modules/\$m.ko || echo "insmod \$m failed"; done
cd /tmp
if R730_UHID_BRIDGE=/bin/r730-uhid-bridge /bin/kernel_hid_test --gtest_color=no; then
  echo "$marker PASS"
else
  echo "$marker FAIL"
fi
poweroff -f
EOF
chmod +x "$root/init"
(cd "$root" && find . | "$root/bin/busybox" cpio -o -H newc 2>/dev/null) | gzip -1 >"$work/initrd.gz"

echo "booting $kernel (timeout ${guest_timeout} s)"
log=$work/console.log
status=0
timeout --kill-after=5 "$guest_timeout" "$qemu" -accel tcg -cpu max -m 512 -nographic -no-reboot \
  -nic none -kernel "$kernel" -initrd "$work/initrd.gz" \
  -append "console=ttyS0 quiet panic=-1" </dev/null >"$log" 2>&1 || status=$?
# The console's carriage returns and the firmware's screen codes are no use in a log.
tr -d '\r' <"$log" | sed -e 's/\x1b\[[0-9;?]*[a-zA-Z]//g' | grep -v '^$' | sed -n '/Booting from ROM/,$p'

if [[ $status -eq 124 || $status -eq 137 ]]; then
  echo "FAIL: the guest did not finish within ${guest_timeout} s"
  exit 1
fi
result=$(tr -d '\r' <"$log" | grep -o "^$marker [A-Z]*" | tail -n1 || true)
if [[ "$result" == "$marker PASS" ]]; then
  exit 0
fi
echo "FAIL: ${result:-no result from the guest} (qemu exit status $status)"
exit 1
