#!/usr/bin/env bash
# The desktop front beside the toolkit's floor and the desktop peer, in one desktop session made of
# the components the desktop tests use: Xvfb, a private session bus, xdg-desktop-portal with KDE's
# back end (global shortcuts, through kglobalaccel) and Xfce's panel hosting StatusNotifierItems.
# Three programs run in it one after another:
#   ours    `tallowmere` (it hands over to tallowmere-desktop), as in a Wayland session: hot keys
#           through the GlobalShortcuts portal, its icon a StatusNotifierItem in the panel;
#   floor   benchmarks/gtk-floor.c built here: GTK opened, one realized window, one status icon;
#   solaar  Solaar's tray program, `solaar --window=hide`, with no device.
# For each: start-up to the idle loop (exec to the start of the main thread's first wait that
# blocks 100 ms or more, from strace timestamps, as scripts/benchmark.sh measures the console)
# and peak resident memory (VmHWM) once idle. Then a real minute of our idle front: system calls
# and wake-ups per thread (strace) and the messages on the bus from or to it (dbus-monitor).
#
#   benchmarks/desktop-session.sh [folder of the built programs, default build/bench/bin]
# Prints rows "figure|measured|goal|verdict" on standard output (scripts/benchmark.sh adds them to
# its table); notes on standard error. Environment: RUNS (start-ups of ours and of the floor, 20),
# SOLAAR_RUNS (start-ups of Solaar, 5: each takes seconds), IDLE_SECONDS (60), SETTLE (seconds
# after the start before memory is taken, 5), IDLE_SETTLE (seconds after the start before the
# idle minute, 20: GLib ends a worker thread 15 seconds after its last task), FIGURES (a file
# that gets our "mean-start-up-ms peak-kB", for rows that compare them with other programs),
# KEEP (set: the traces and the session's files stay in /tmp).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$root/build/bench/bin}
runs=${RUNS:-20}
solaar_runs=${SOLAAR_RUNS:-5}
idle_seconds=${IDLE_SECONDS:-60}
settle=${SETTLE:-5}
idle_settle=${IDLE_SETTLE:-20}

row() { printf '%s|%s|%s|%s\n' "$1" "$2" "$3" "$4"; }
note() { echo "desktop-session: $*" >&2; }
verdict() { awk -v v="$1" -v g="$2" 'BEGIN {
  if (v !~ /^[0-9.]+$/) print "-"; else print (v + 0 <= g + 0) ? "met" : "MISSED" }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {
  if (a ~ /^[0-9.]+$/ && b ~ /^[0-9.]+$/ && b > 0) printf "%.2f", a / b; else print "?" }'; }
megabytes() { awk -v k="$1" 'BEGIN {
  if (k ~ /^[0-9]+$/) printf "%.1f MB", k / 1024; else print k }'; }
have() { command -v "$1" >/dev/null 2>&1; }

portal=/usr/libexec/xdg-desktop-portal
kde_portal=/usr/lib/x86_64-linux-gnu/libexec/xdg-desktop-portal-kde
for tool in Xvfb dbus-daemon dbus-send dbus-monitor xfce4-panel strace cc pkg-config; do
  if ! have "$tool"; then
    row "desktop session" "not measured: $tool is not installed (scripts/install-deps.sh)" "-" "-"
    exit 0
  fi
done
for program in "$portal" "$kde_portal" "$bin/tallowmere" "$bin/tallowmere-desktop"; do
  if [ ! -x "$program" ]; then
    row "desktop session" "not measured: no $program" "-" "-"
    exit 0
  fi
done

work=$(mktemp -d /tmp/tallowmere-desktop-session-XXXXXX)
pids=()  # what this script started, ended by pid when it ends
finish() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  if [ -n "${KEEP:-}" ]; then note "traces kept in $work"; else rm -rf "$work"; fi
}
trap finish EXIT
cd "$work"

# ---- the floor program -------------------------------------------------------------------------
# shellcheck disable=SC2046
cc -O2 -o gtk-floor "$root/benchmarks/gtk-floor.c" $(pkg-config --cflags --libs gtk+-3.0)

# ---- the session -------------------------------------------------------------------------------
# A home of its own, so that no setting of the person running this changes the figures.
mkdir -p home/.config/xfce4/xfconf/xfce-perchannel-xml home/.cache home/.local/share home/run
chmod 700 home/run
cp "$root/tests/gtk/xfce4-panel.xml" home/.config/xfce4/xfconf/xfce-perchannel-xml/
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache \
  XDG_DATA_HOME=$work/home/.local/share XDG_RUNTIME_DIR=$work/home/run
# KDE's portal and kglobalaccel are Qt programs, run on the Xvfb display (Qt's offscreen platform
# has no global shortcuts). As in the desktop tests: no accessibility bus, GTK's own theme.
export XDG_CURRENT_DESKTOP=KDE QT_QPA_PLATFORM=xcb NO_AT_BRIDGE=1 GTK_THEME=Adwaita
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>display.number >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s display.number ] && break; sleep 0.1; done
DISPLAY=:$(head -n1 display.number)
export DISPLAY
dbus-daemon --session --nofork --nopidfile --print-address=3 3>bus.address >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s bus.address ] && break; sleep 0.1; done
DBUS_SESSION_BUS_ADDRESS=$(head -n1 bus.address)
export DBUS_SESSION_BUS_ADDRESS
if [ "$DISPLAY" = ":" ] || [ -z "$DBUS_SESSION_BUS_ADDRESS" ]; then
  row "desktop session" "not measured: Xvfb or dbus-daemon did not start" "-" "-"
  exit 0
fi

bus() {  # method, arguments...
  local method=$1
  shift
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    "org.freedesktop.DBus.$method" "$@" 2>/dev/null
}
on_bus() { bus NameHasOwner "string:$1" | grep -q 'boolean true'; }
xfce4-panel --disable-wm-check >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 150); do on_bus org.kde.StatusNotifierWatcher && break; sleep 0.1; done
if ! on_bus org.kde.StatusNotifierWatcher; then
  row "desktop session" "not measured: Xfce's panel did not host StatusNotifierItems" "-" "-"
  exit 0
fi
# The portal starts on its first call (the bus starts it), then KDE's back end and kglobalaccel
# with the first shortcut session: a first run of each program, not measured, gets every service
# of the session going and the programs' files into memory.
dbus-send --session --print-reply --dest=org.freedesktop.portal.Desktop \
  /org/freedesktop/portal/desktop org.freedesktop.DBus.Properties.Get \
  string:org.freedesktop.portal.GlobalShortcuts string:version >/dev/null 2>&1 || true

# Our front in a Wayland session (XDG_SESSION_TYPE), on the X display standing for XWayland: the
# hot keys go through the portal.
ours=(XDG_SESSION_TYPE=wayland "$bin/tallowmere")
floor=(GDK_GL=disable "$work/gtk-floor")
solaar=(solaar --window=hide)
have solaar || solaar=()

# ---- start-up to the idle loop -----------------------------------------------------------------
# Each run is ended by `timeout` once it has long been idle; the trace's timestamps give the time
# from exec to the main thread's first blocking wait.
startup_ms() {  # name, seconds a run lasts, runs, then VARIABLE=value... and the command
  local name=$1 seconds=$2 n=$3 variables=()
  shift 3
  while [[ $1 == *=* ]]; do variables+=("$1"); shift; done
  for ((i = 1; i <= n; i++)); do
    timeout "$seconds" env "${variables[@]}" strace --seccomp-bpf -f -ttt -T \
      -e trace=execve,poll,ppoll,epoll_wait,epoll_pwait,select,pselect6 -o "start.$name.$i" "$@" \
      </dev/null >/dev/null 2>&1 || true
  done
  awk -f "$root/benchmarks/first-wait.awk" "start.$name".*
}

# Peak resident memory once the program has been idle a while.
peak_kb() {  # VARIABLE=value... and the command
  env "$@" </dev/null >/dev/null 2>&1 &
  local pid=$!
  sleep "$settle"
  local hwm
  hwm=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
  echo "${hwm:-not measured: the program had ended}"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

note "warming up the session"
timeout 3 env "${ours[@]}" </dev/null >/dev/null 2>&1 || true
timeout 2 env "${floor[@]}" </dev/null >/dev/null 2>&1 || true
[ ${#solaar[@]} -gt 0 ] && { timeout 8 "${solaar[@]}" </dev/null >/dev/null 2>&1 || true; }

note "start-ups: ours, the floor ($runs each), Solaar ($solaar_runs)"
read -r ours_mean ours_best ours_count < <(startup_ms ours 2 "$runs" "${ours[@]}")
read -r floor_mean floor_best floor_count < <(startup_ms floor 2 "$runs" "${floor[@]}")
ours_kb=$(peak_kb "${ours[@]}")
floor_kb=$(peak_kb "${floor[@]}")
if [ ${#solaar[@]} -gt 0 ]; then
  read -r solaar_mean solaar_best solaar_count < <(startup_ms solaar 8 "$solaar_runs" \
    "${solaar[@]}")
  solaar_kb=$(SETTLE=$((settle + 3)) peak_kb "${solaar[@]}")
fi
[ -n "${FIGURES:-}" ] && echo "$ours_mean $ours_kb" >"$FIGURES"

figures() {  # name, mean, best, counted, runs, kB, then the goals of time and memory (or none)
  local reached="" time_goal="-" time_verdict="-" memory_goal="-" memory_verdict="-"
  [ "$4" = "$5" ] || reached=", $4 runs reached it"
  if [ -n "${7:-}" ]; then
    time_goal="< $7 ms" time_verdict=$(verdict "$2" "$7")
    memory_goal="< $8 MB" memory_verdict=$(verdict "$6" $(($8 * 1024)))
  fi
  row "$1: start-up to idle loop (mean, best of $5)" "$2 ms ($3 best)$reached" "$time_goal" \
    "$time_verdict"
  row "$1: peak resident memory, idle" "$(megabytes "$6")" "$memory_goal" "$memory_verdict"
}
figures "desktop front (portal, StatusNotifierItem)" "$ours_mean" "$ours_best" "$ours_count" \
  "$runs" "$ours_kb" 300 60
figures "GTK3 tray floor (window, status icon)" "$floor_mean" "$floor_best" "$floor_count" "$runs" \
  "$floor_kb"
memory=$(ratio "$ours_kb" "$floor_kb")
row "  desktop front / floor: peak memory" "$memory x" "<= 1.1 x" "$(verdict "$memory" 1.1)"
startup=$(ratio "$ours_mean" "$floor_mean")
row "  desktop front / floor: start-up" "$startup x" "<= 1.2 x" "$(verdict "$startup" 1.2)"
if [ ${#solaar[@]} -gt 0 ]; then
  figures "solaar --window=hide (no device)" "$solaar_mean" "$solaar_best" "$solaar_count" \
    "$solaar_runs" "$solaar_kb"
  memory=$(ratio "$ours_kb" "$solaar_kb")
  row "  desktop front / solaar's tray program: peak memory" "$memory x" "<= 0.3 x" \
    "$(verdict "$memory" 0.3)"
  startup=$(ratio "$ours_mean" "$solaar_mean")
  row "  desktop front / solaar's tray program: start-up" "$startup x" "<= 0.3 x" \
    "$(verdict "$startup" 0.3)"
else
  row "solaar --window=hide" "not measured: solaar is not installed" "-" "-"
fi

# ---- our front idle: a real minute -------------------------------------------------------------
# The front runs `idle_settle` seconds, then strace follows all its threads and dbus-monitor the
# whole bus for IDLE_SECONDS. A wake-up is a wait that returned; a call is any other system call.
note "idle: $idle_seconds s of our front"
env "${ours[@]}" </dev/null >/dev/null 2>front.err &
front=$!
pids+=("$front")
# GLib's thread pool ran the connection to the system bus (logind's session events); its thread
# ends 15 seconds after that, once: not a wake-up of the idle program.
sleep "$idle_settle"
# The front's connections to the bus (it has two: the shared one and the portal's own).
names=()
for name in $(bus ListNames | sed -n 's/.*string "\(:[0-9.]*\)".*/\1/p' || true); do
  owner=$(bus GetConnectionUnixProcessID "string:$name" |
    sed -n 's/.*uint32 \([0-9]*\).*/\1/p' || true)
  [ "$owner" = "$front" ] && names+=("$name")
done
# The front in the state measured: its item registered with the panel, its keys held by the
# portal (the line the front writes when the desktop has bound them).
items=$(dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher \
  /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
  string:RegisteredStatusNotifierItems 2>/dev/null || true)
in_panel=$(grep -q "StatusNotifierItem-$front-" <<<"$items" && echo yes || echo no)
through_portal=$(grep -q '^tallowmere: the desktop holds the hot keys' front.err && echo yes ||
  echo no)
dbus-monitor --session --profile >monitor.out 2>/dev/null &
monitor=$!
pids+=("$monitor")
threads=$(for task in /proc/"$front"/task/*; do
  printf '%s=%s ' "${task##*/}" "$(tr ' ' '_' <"$task/comm")"; done)
timeout -s INT "$idle_seconds" strace -f -ttt -p "$front" -o idle.trace >/dev/null 2>&1 || true
kill "$monitor" "$front" 2>/dev/null || true

# Per thread: calls and wake-ups, set apart where the wake-up brought a device event from the
# kernel (a uevent read from a netlink socket: another program's doing, not a timer of ours).
# A call counts with the wake-up it follows; a wait that cannot block (no timeout) is a call.
idle_per_thread=$(awk -v threads="$threads" '
  BEGIN { n = split(threads, t, " ")
    for (i = 1; i <= n; i++) { split(t[i], p, "="); name[p[1]] = p[2] } }
  function blocking(line) {
    if (line ~ /futex\(/) return line ~ /FUTEX_WAIT/
    return line ~ /(poll|ppoll|epoll_wait|epoll_pwait|select|pselect6)\(/ &&
      line !~ /, 0(\) = | <unfinished)/ && line !~ /tv_sec=0, tv_nsec=0/ }
  function flush(id) {
    if (device[id]) { dcalls[id] += cur[id]; dwakes[id] += woke[id] }
    else { calls[id] += cur[id]; wakes[id] += woke[id] }
    cur[id] = 0; device[id] = 0; woke[id] = 0 }
  # The signal that ends the trace interrupts the waits: not a wake-up of the program.
  /--- SIG|\+\+\+ |ERESTART|<detached/ { next }
  !/^[0-9]+ +[0-9.]+ / { next }
  { id = $1; seen[id] = 1 }
  /resumed>/ {
    if (waiting[id]) { flush(id); woke[id] = 1; waiting[id] = 0 }
    else if (/AF_NETLINK/) device[id] = 1
    next }
  # Attaching restarts the waits under way.
  blocking($0) || /restart_syscall\(/ {
    flush(id); if (/unfinished/) waiting[id] = 1; else woke[id] = 1; next }
  { cur[id]++; if (/AF_NETLINK/) device[id] = 1 }
  END { for (id in seen) { flush(id)
          printf "%s %s %d %d %d %d\n", id, (id in name) ? name[id] : "?", calls[id], wakes[id],
            dcalls[id], dwakes[id] } }' idle.trace | sort -n)
scale() { awk -v n="$1" -v s="$idle_seconds" 'BEGIN { printf "%.0f", n * 60 / s }'; }
# Threads that made no call in the minute are not in the trace: each thread of the front by name.
# (A thread started during the minute counts in the total, under "?".)
read -r total_calls total_wakes device_calls device_wakes < <(awk '{ c += $3; w += $4; dc += $5
  dw += $6 } END { print c + 0, w + 0, dc + 0, dw + 0 }' <<<"$idle_per_thread")
per_thread=""
for entry in $threads; do
  read -r calls wakes < <(awk -v id="${entry%%=*}" '$1 == id { print $3, $4; found = 1 }
    END { if (!found) print 0, 0 }' <<<"$idle_per_thread")
  per_thread+="${per_thread:+, }${entry#*=} $(scale "$calls")/$(scale "$wakes")"
done
row "idle, desktop front (portal, StatusNotifierItem), real minute: calls / wake-ups" \
  "$(scale "$total_calls") / $(scale "$total_wakes") per min (and for the kernel's device events: $(
    scale "$device_calls") / $(scale "$device_wakes"))" "0 / 0" \
  "$([ "$total_calls" = 0 ] && [ "$total_wakes" = 0 ] && echo met || echo MISSED)"
row "  per thread: calls/wake-ups" "$per_thread" "0/0 each" "-"

# dbus-monitor --profile: type, time, serial, sender, destination, path, interface, member.
ours_messages=$(awk -v names="${names[*]}" '
  BEGIN { n = split(names, a, " "); for (i = 1; i <= n; i++) ours[a[i]] = 1 }
  $1 ~ /^(sig|mc|mr|err)$/ && (($4 in ours) || ($5 in ours)) { count++ }
  END { print count + 0 }' monitor.out)
# All the others on the bus, less the bus's word to dbus-monitor about its own name.
all_messages=$(awk '$1 ~ /^(sig|mc|mr|err)$/ && !($4 == "org.freedesktop.DBus" && \
  $8 ~ /^Name(Acquired|Lost)$/) { count++ } END { print count + 0 }' monitor.out)
row "idle, desktop front: D-Bus messages from or to it, real minute" \
  "$(scale "$ours_messages") per min (${#names[@]} connections; all on the bus: $(
    scale "$all_messages"))" \
  "0" "$([ "$ours_messages" = 0 ] && [ "${#names[@]}" -gt 0 ] && echo met || echo MISSED)"
row "  the front measured idle: its item in the panel; its hot keys through the portal" \
  "$in_panel; $through_portal" "yes; yes" \
  "$([ "$in_panel$through_portal" = yesyes ] && echo met || echo MISSED)"
