#!/usr/bin/env bash
# Makes the screenshots in docs/screenshots/: the Preferences window with a 4-port switch, a
# 2-port switch and no switch, and the tray icon with its menu open, in an XEmbed tray (trayer)
# and as a StatusNotifierItem (Xfce's panel). tallowmere-sim runs on an Xvfb display, driven by
# its console commands on standard input.
#   scripts/screenshots.sh [BUILD_DIR]      (default build/release; tallowmere-sim is built)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
out=docs/screenshots

scripts/install-deps.sh
if ! command -v import >/dev/null; then
  if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends imagemagick </dev/null
fi
[ -f "$build/build.ninja" ] || cmake -G Ninja -S . -B "$build"
cmake --build "$build" --target tallowmere-sim
program=$(realpath "$build/bin/tallowmere-sim")
mkdir -p "$out"
out=$(realpath "$out")

work=$(mktemp -d)
pids=()
finish() {
  exec 3>&- || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap finish EXIT

# A display, a session bus and a tray.
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
# Settings of the session's programs (Xfce's panel, later) in the work folder.
export HOME="$work" XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
cp tests/gtk/xfce4-panel.xml "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/"
dbus-daemon --session --nofork --nopidfile --print-address=6 6>"$work/bus" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/bus" ] && break; sleep 0.1; done
export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus")
export GTK_THEME=Adwaita NO_AT_BRIDGE=1
trayer --edge bottom --align right --height 32 --widthtype request --SetDockType true &
trayer=$!
pids+=($trayer)
sleep 1

# The program, reading commands from a pipe and telling what it shows in a file (appended to,
# so that the file can be emptied between steps).
mkfifo "$work/commands"
(cd "$work" && exec "$program" <"$work/commands" >>"$work/output" 2>"$work/errors") &
pids+=($!)
exec 3>"$work/commands"
say() { echo "$1" >&3; }
# Waits until the program has printed a line matching the pattern.
wait_for() {
  for _ in $(seq 100); do
    grep -q -- "$1" "$work/output" && return 0
    sleep 0.1
  done
  echo "screenshots: the program did not show: $1" >&2
  cat "$work/errors" >&2
  exit 1
}
window_id() { xdotool search --sync --onlyvisible --name "^$1\$" | head -1; }

# Opens the Preferences window, photographs it into $1 and closes it.
preferences() {
  : >"$work/output"
  say "menu Preferences"
  wait_for 'window opened: "Preferences"'
  sleep 0.5
  import -window "$(window_id Preferences)" "$out/$1"
  : >"$work/output"
  say "cancel"
  wait_for 'window closed: "Preferences"'
}

wait_for "dock icon: velbrook1.icns"
preferences preferences-4-ports.png

say "unplug"
say "plug v2 ports=2"
sleep 0.5
preferences preferences-2-ports.png

say "unplug"
sleep 0.5
preferences preferences-no-switch.png

# The 4-port switch again, on PC 2, and the tray icon's menu: the other ports and auto-scan.
: >"$work/output"
say "plug v2"
say "hotkey 2"
wait_for "dock icon: velbrook2.icns"
icon=$(window_id Tallowmere)
xdotool mousemove --window "$icon" 8 8 click 3
sleep 0.7
import -window root -crop 400x300+624+468 +repage "$out/tray-menu.png"
xdotool key Escape

# Xfce's panel takes the place of trayer: the program's icon becomes a StatusNotifierItem in it,
# its menu the Dock menu over D-Bus.
kill "$trayer"
xfce4-panel --disable-wm-check >/dev/null 2>&1 &
pids+=($!)
panel=$(xdotool search --sync --onlyvisible --class xfce4-panel | head -1)
sleep 2
xdotool mousemove --window "$panel" 24 24 click 3
sleep 0.7
import -window root -crop 180x214+0+554 +repage "$out/tray-menu-sni.png"
xdotool key Escape
say "quit"
echo "screenshots: written to $out"
