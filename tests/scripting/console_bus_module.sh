#!/usr/bin/env bash
# The console program loads its bus service module only when a session bus exists: with none it
# maps no GLib at all; with one (a private dbus-daemon) it serves the interface, from the build
# tree and after `cmake --install`; without the module it says so in one line and runs on.
# Usage: console_bus_module.sh BUILD_DIR SCRATCH_DIR
set -uo pipefail
build_dir=$1 scratch=$2
failed=0
fail() { echo "FAILED: $*"; failed=1; }

command -v dbus-daemon >/dev/null || { echo "FAILED: dbus-daemon is not installed"; exit 1; }
rm -rf "$scratch" && mkdir -p "$scratch/runtime" || exit 1
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$scratch/bus.pid") ||
  { echo "FAILED: no private dbus-daemon"; exit 1; }
trap 'kill "$(cat "$scratch/bus.pid")" 2>/dev/null; exec 3>&-' EXIT

started=0
# Starts PROGRAM with the console front, reading from a pipe held on descriptor 3; the session bus
# is BUS (empty: none, and no $XDG_RUNTIME_DIR/bus either).
start() {
  local program=$1 address=$2
  rm -f "$scratch/in" && mkfifo "$scratch/in"
  env -u DISPLAY -u WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS="$address" \
    XDG_RUNTIME_DIR="$scratch/runtime" "$program" <"$scratch/in" >"$scratch/out" 2>"$scratch/err" &
  started=$!
  exec 3>"$scratch/in"
}
glib_mapped() { grep -q 'libgio-2.0\|libglib-2.0' "/proc/$started/maps"; }
# Waits for the program to end by itself; true when it ended with status 0.
ended() {
  for _ in $(seq 100); do kill -0 "$started" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$started" 2>/dev/null && { kill "$started"; wait "$started"; return 1; }
  wait "$started"
}

# Serves the interface from the bus service module next to PROGRAM, and ends on Quit.
serves() {
  local program=$1 ctl
  ctl=$(dirname "$program")/tallowmerectl
  start "$program" "$bus"
  local served=1
  for _ in $(seq 100); do
    DBUS_SESSION_BUS_ADDRESS=$bus "$ctl" preferences >/dev/null 2>&1 && { served=0; break; }
    sleep 0.1
  done
  [ $served = 0 ] || { fail "$program does not serve the interface: $(cat "$scratch/err")"; ended; return; }
  glib_mapped || fail "$program serves without GLib mapped?"
  DBUS_SESSION_BUS_ADDRESS=$bus "$ctl" quit || fail "tallowmerectl quit to $program"
  ended || fail "$program did not end with status 0 on Quit"
  ! grep "^tallowmere:" "$scratch/err" || fail "$program complained"
}

# No session bus: no GLib, once the program is idle.
start "$build_dir/bin/tallowmere" ""
sleep 1
glib_mapped && fail "tallowmere maps GLib with no session bus"
echo quit >&3
ended || fail "tallowmere with no session bus did not end with status 0"

serves "$build_dir/bin/tallowmere"

prefix=$scratch/install
if cmake --install "$build_dir" --prefix "$prefix" >"$scratch/install.log" 2>&1; then
  serves "$prefix/bin/tallowmere"
  # Without its module the program runs on, without the interface, and says so once.
  rm "$prefix/lib/tallowmere/bus-service.so"
  start "$prefix/bin/tallowmere" "$bus"
  sleep 1
  echo quit >&3
  ended || fail "tallowmere without its module did not end with status 0"
  said=$(grep "^tallowmere:" "$scratch/err")
  [[ $said == "tallowmere: runs without the scripting interface: "*"bus-service.so"* && $said != *$'\n'* ]] ||
    fail "tallowmere without its module said: $said"
else
  fail "cmake --install: $(tail -3 "$scratch/install.log")"
fi

[ $failed = 0 ] && echo "the bus service module: loaded with a session bus only, built and installed"
exit $failed
