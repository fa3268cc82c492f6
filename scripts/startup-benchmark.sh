#!/usr/bin/env bash
# Start-up of `tallowmere` on real devices: from exec to the event loop's first idle wait (the
# first poll that blocks), measured with strace timestamps over several runs. Also counts how
# often the program lists the hidraw devices, which must be once however many pairs it watches.
#   scripts/startup-benchmark.sh [path/to/tallowmere] [runs]
set -euo pipefail

program=${1:-build/release/bin/tallowmere}
runs=${2:-10}
command -v strace >/dev/null || { echo "startup-benchmark: needs strace" >&2; exit 1; }
[ -x "$program" ] || { echo "startup-benchmark: no program at $program" >&2; exit 1; }
program=$(realpath "$program")  # the runs take place in a folder of their own

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"  # HOTKEY.CFG goes here

for ((i = 1; i <= runs; i++)); do
  # Standard input stays open (and silent) until the program has been measured.
  # Only the traced calls stop the program (seccomp filter), which keeps strace's cost small.
  (sleep 2) | timeout 5 strace --seccomp-bpf -f -ttt -e trace=execve,poll,ppoll,openat \
    -o "trace.$i" \
    "$program" >/dev/null 2>&1 || true
done

awk -v runs="$runs" '
  FNR == 1 { start = ""; done = 0 }
  /execve\(/ && start == "" { start = $2 }
  /openat\(.*"\/sys\/class\/hidraw"/ { listings[FILENAME]++ }
  !done && /(poll|ppoll)\(/ && !/, 0\)/ && !/\{tv_sec=0, tv_nsec=0\}/ {
    took = ($2 - start) * 1000; total += took; count++; done = 1
    if (fastest == "" || took < fastest) fastest = took
  }
  END {
    n = 0; for (f in listings) { if (listings[f] != 1) bad = 1; n++ }
    printf "start-up to first idle wait: %.1f ms (mean of %d runs), %.1f ms at best\n", \
      total / count, count, fastest
    printf "hidraw listings per run: %s\n", (n == runs && !bad) ? "1" : "not 1 in every run"
  }' trace.*
