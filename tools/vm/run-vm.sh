#!/usr/bin/env bash
# Boots Debian's kernel with the initramfs under software emulation (no network, no disk), the
# console on the emulated serial line, and writes everything the console shows to LOG. The
# initramfs's init runs the scenarios and powers the machine off.
#   run-vm.sh KERNEL_CACHE INITRAMFS LOG [TIMEOUT_SECONDS]
set -euo pipefail
cache=$1
initramfs=$2
log=$3
limit=${4:-540}
release=$(cat "$cache/release")

status=0
timeout --kill-after=10 "$limit" qemu-system-x86_64 \
  -accel tcg -cpu max -m 512 -smp 1 \
  -nographic -no-reboot -nic none \
  -kernel "$cache/root/boot/vmlinuz-$release" -initrd "$initramfs" \
  -append "console=ttyS0 quiet loglevel=1 panic=-1 rdinit=/init" \
  </dev/null | tr -d '\r' | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g; s/\x1bc//g' >"$log" || status=$?
exit "$status"
