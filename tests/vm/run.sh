#!/usr/bin/env bash
# The proof on a real kernel: boots Debian's kernel in a virtual machine (qemu, software
# emulation) with switch emulators of both generations and runs tallowmere, and tallowmerectl with
# no program running, against them, one scenario after another in the one boot. Each scenario's
# transcript is compared with tests/vm/expected/<scenario>.txt; each is reported passed or failed,
# a failure with the end of its output.
#   tests/vm/run.sh                       build in build/vm, install what is missing (as root)
#   TALLOWMERE_VM_UPDATE=1 tests/vm/run.sh   write the transcripts as the expected output
# The proof is part of the tests: where qemu, Debian's kernel package or the machine itself cannot
# be had, the run FAILS (exits non-zero) and says why.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
build=${TALLOWMERE_VM_BUILD:-build/vm}
scenarios=tests/vm/scenarios
expected=tests/vm/expected

# udev and systemd: the machine runs Debian's systemd-udevd with its rules and logind's seat rules.
packages=(qemu-system-x86 busybox-static kmod xz-utils udev systemd)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then
    echo "vm: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    { apt-get update -qq && apt-get install -y -qq --no-install-recommends \
      -o DPkg::Lock::Timeout=900 "${missing[@]}"; } </dev/null >/dev/null 2>&1 ||
      echo "vm: could not install ${missing[*]}"
  fi
fi
# (grep reads all of dpkg's list: with -q it could stop early and, under pipefail, fail the list.)
if ! command -v qemu-system-x86_64 >/dev/null || ! [ -x /bin/busybox ] ||
  ! dpkg -L udev 2>/dev/null | grep '/systemd-udevd$' >/dev/null ||
  ! dpkg -L systemd 2>/dev/null | grep '/73-seat-late.rules$' >/dev/null; then
  echo "FAILED: the virtual-machine scenarios cannot run: qemu-system-x86_64, busybox-static," \
    "udev or systemd is missing (install them as root: apt-get install ${packages[*]})"
  exit 1
fi

cmake -G Ninja -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
nice -n 10 cmake --build "$build" -j2 --target tallowmere tallowmerectl uhid-switch \
  gadget-switch timed-lines >/dev/null

if ! release=$(tools/vm/fetch-kernel.sh "$build/kernel"); then
  echo "FAILED: the virtual-machine scenarios cannot run: Debian's kernel package could not be fetched"
  exit 1
fi
# TALLOWMERE_VM_ONLY=PATTERN runs only the scenarios whose names contain PATTERN.
if [ -n "${TALLOWMERE_VM_ONLY:-}" ]; then
  chosen=$build/vm-scenarios
  rm -rf "$chosen"
  mkdir -p "$chosen"
  cp "$scenarios"/lib.sh "$scenarios"/*"$TALLOWMERE_VM_ONLY"*.sh "$chosen/"
  scenarios=$chosen
fi
tools/vm/build-initramfs.sh "$build" "$build/kernel" "$scenarios" "$build/initramfs.gz"

log=$build/vm-console.log
echo "vm: booting Debian's kernel $release under qemu (software emulation)"
started=$(date +%s)
vm_status=0
tools/vm/run-vm.sh "$build/kernel" "$build/initramfs.gz" "$log" 420 || vm_status=$?
echo "vm: the machine ran $(($(date +%s) - started)) s"
if [ ! -s "$log" ]; then
  # qemu itself could not run here (its own words are above): nothing was seen, nothing passes.
  echo "FAILED: the virtual-machine scenarios: qemu-system-x86_64 could not start a machine" \
    "(status $vm_status)"
  exit 1
fi
if ! grep -q '=== vm done' "$log"; then
  echo "FAILED: the virtual machine did not finish its scenarios (qemu status $vm_status)"
  vm_unfinished=1
fi
if ! grep -q '=== vm ready' "$log"; then
  echo "FAILED: the virtual machine did not start (qemu status $vm_status); its console ended with:"
  tail -n 30 "$log"
  exit 1
fi

# Lines that differ from run to run by nature are made neutral before comparing.
neutral() {
  sed -E 's/[0-9]+(\.[0-9]+)? ms/N ms/g'
}

passed=0
failed=0
transcripts=$build/vm-transcripts
rm -rf "$transcripts"
mkdir -p "$transcripts"
for scenario in "$scenarios"/[0-9]*.sh; do
  name=$(basename "$scenario" .sh)
  out=$transcripts/$name.txt
  awk -v name="$name" '
    $0 == "=== begin " name { inside = 1; next }
    inside && index($0, "=== end " name " ") == 1 { exit }
    inside { print }' "$log" | neutral >"$out"
  if [ "${TALLOWMERE_VM_UPDATE:-0}" = 1 ]; then
    cp "$out" "$expected/$name.txt"
  fi
  if ! grep -q "^=== end $name " "$log"; then
    echo "FAILED: $name (it did not finish); its last lines:"
    tail -n 20 "$out" | sed 's/^/    /'
    failed=$((failed + 1))
  elif [ ! -f "$expected/$name.txt" ]; then
    echo "FAILED: $name (no expected transcript $expected/$name.txt); its last lines:"
    tail -n 20 "$out" | sed 's/^/    /'
    failed=$((failed + 1))
  elif ! diff -u "$expected/$name.txt" "$out" >"$out.diff"; then
    echo "FAILED: $name; the difference from the expected transcript:"
    sed 's/^/    /' "$out.diff" | head -n 40
    echo "  its last lines:"
    tail -n 15 "$out" | sed 's/^/    /'
    failed=$((failed + 1))
  else
    echo "passed: $name"
    passed=$((passed + 1))
  fi
done
echo "vm: $passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ -z "${vm_unfinished:-}" ]
