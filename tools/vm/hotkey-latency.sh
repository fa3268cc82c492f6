#!/usr/bin/env bash
# Hot key to the switch on a real kernel: boots the virtual machine of tests/vm (Debian's kernel,
# qemu's software emulation) with only the benchmark's scenario (tools/vm/benchmark), which types
# `hotkey 2` and `hotkey 1` in turn, 20 times, into the console front with a version-2 switch
# emulated through uhid. From the moment each line is written to the program's input to the
# moment the emulator reads the command report from /dev/uhid, both on the machine's
# CLOCK_MONOTONIC, less the protocol's 10 ticks (1/60 s each) before a command is sent: the median
# and the worst of the 20.
#   tools/vm/hotkey-latency.sh          (build tree: TALLOWMERE_VM_BUILD, build/vm by default)
# Prints its figures as rows of scripts/benchmark.sh's table ("figure|measured|goal|verdict") on
# standard output, each press on standard error. It never fails: where the machine cannot run,
# the row says why.
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 1
build=${TALLOWMERE_VM_BUILD:-build/vm}
presses=20
figure="hot key to the switch in the VM (real kernel), less the 10 ticks: median / worst of $presses"
not_measured() {
  echo "$figure|not measured: $1|-|-"
  exit 0
}

if ! command -v qemu-system-x86_64 >/dev/null || ! [ -x /bin/busybox ] ||
  ! dpkg -L udev 2>/dev/null | grep '/systemd-udevd$' >/dev/null; then
  not_measured "qemu-system-x86_64, busybox-static or udev is missing"
fi
if ! cmake -G Ninja -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null ||
  ! nice -n 10 cmake --build "$build" -j2 --target tallowmere tallowmerectl uhid-switch \
    gadget-switch timed-lines >/dev/null; then
  not_measured "the programs did not build"
fi
release=$(tools/vm/fetch-kernel.sh "$build/kernel") ||
  not_measured "Debian's kernel package could not be fetched"

# The test scenarios' helpers with the benchmark's scenario, and nothing else, in the machine.
scenarios=$build/vm-benchmark-scenarios
rm -rf "$scenarios"
mkdir -p "$scenarios"
cp tests/vm/scenarios/lib.sh tools/vm/benchmark/*.sh "$scenarios/"
initramfs=$build/vm-benchmark-initramfs.gz
tools/vm/build-initramfs.sh "$build" "$build/kernel" "$scenarios" "$initramfs" >&2 ||
  not_measured "the initramfs could not be built"

log=$build/vm-benchmark-console.log
echo "vm benchmark: booting Debian's kernel $release under qemu (software emulation)" >&2
started=$(date +%s)
tools/vm/run-vm.sh "$build/kernel" "$initramfs" "$log" 300 >&2
echo "vm benchmark: the machine ran $(($(date +%s) - started)) s" >&2
[ -s "$log" ] || not_measured "qemu-system-x86_64 could not start a machine"
grep -q '=== vm ready' "$log" || not_measured "the virtual machine did not start"

# Each key with the command report it caused (the scenario waits for one before typing the
# next); a status read that arrived between the two means the key came during a poll. The last
# open of the switch's node before the report is the command's own, just before its wait.
awk -v presses="$presses" '
  /^=== begin / { inside = 1 }
  /^=== end / { inside = 0 }
  !inside { next }
  /^at [0-9.]+: hotkey / { key[++keys] = substr($2, 1, length($2) - 1) + 0 }
  /^received set 4 at / { sent[++sets] = $5 + 0 }
  /^received get [0-9]+ at / { read[++reads] = $5 + 0 }
  /^received open at / { opened[++opens] = $4 + 0 }
  END {
    n = keys < sets ? keys : sets
    if (n < presses) { printf "short %d\n", n; exit }
    for (i = 1; i <= n; i++) {
      whole[i] = (sent[i] - key[i]) * 1000
      ms[i] = whole[i] - 10 * 1000 / 60
      polled = 0
      for (j = 1; j <= reads; j++) if (read[j] > key[i] && read[j] < sent[i]) polled = 1
      behind += polled
      open = 0
      for (j = 1; j <= opens; j++) if (opened[j] > key[i] && opened[j] < sent[i]) open = opened[j]
      if (open) before[++seen] = (open - key[i]) * 1000
      printf "press %d: %.1f ms; node opened after %s%s\n", i, ms[i],
        open ? sprintf("%.1f ms", (open - key[i]) * 1000) : "?",
        polled ? " (during a status poll)" : "" >"/dev/stderr"
    }
    printf "done %s %s %d %s\n", summary(ms, n), summary(whole, n), behind,
      seen == n ? summary(before, n) : "? ?"
  }
  # "median worst" of the n figures in a[1..n] (sorted in place).
  function summary(a, n,   i, j, t) {
    for (i = 2; i <= n; i++) for (j = i; j > 1 && a[j - 1] > a[j]; j--) {
      t = a[j]; a[j] = a[j - 1]; a[j - 1] = t }
    return sprintf("%.1f %.1f", n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2, a[n])
  }' "$log" >"$build/vm-benchmark-figures"
read -r outcome median worst whole_median whole_worst behind open_median open_worst \
  <"$build/vm-benchmark-figures"
[ "$outcome" = "done" ] ||
  not_measured "only ${median:-0} of $presses hot keys reached the switch (see $log)"
echo "$figure|$median ms / $worst ms ($behind of $presses came during a status poll)|-|measured"
# The program waits until the 10th tick of its clock after the key: 9 to 10 ticks, depending on
# where in a tick the key fell, so a figure less the 10 ticks can be below 0.
echo "  the same with the wait (9 to 10 ticks: it ends on the program's 1/60 s tick)|$whole_median ms / $whole_worst ms|-|measured"
# What the program does before its wait (reading the line, opening the switch's node), which the
# tick hides while it is shorter than the rest of the key's tick.
echo "  key to the program opening the switch's node, before the wait|$open_median ms / $open_worst ms|-|measured"
