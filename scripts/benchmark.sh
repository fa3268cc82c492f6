#!/usr/bin/env bash
# The program's cost in figures, in one table: builds an optimised tree (build/bench), runs the
# in-process benchmarks over the simulated platform, counts a poll's instructions with callgrind,
# measures the whole programs (start-up, peak memory, idle system calls and wake-ups), the desktop
# front in a desktop session beside the GTK3 tray floor and Solaar's tray program
# (benchmarks/desktop-session.sh), a switch that stops answering, tallowmerectl against a running
# program, and the hot key on Debian's kernel in a virtual machine (tools/vm/hotkey-latency.sh);
# as reference points measured in the same run, `ddcutil detect` and `solaar show` with no device.
#   scripts/benchmark.sh            (as root it installs the tools it needs first)
# Environment: RUNS (start-up runs, 20), IDLE_SECONDS (real-time idle trace, 60); the desktop
# session's own in benchmarks/desktop-session.sh (SOLAAR_RUNS, ...).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=$root/build/bench
runs=${RUNS:-20}
idle_seconds=${IDLE_SECONDS:-60}

# ---- tools -------------------------------------------------------------------------------------
tools=(valgrind strace time ddcutil solaar xvfb)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then
    echo "benchmark: installing ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" \
      </dev/null >/dev/null
  else
    echo "benchmark: missing ${missing[*]} (run as root to install them); going on" >&2
  fi
fi
have() { command -v "$1" >/dev/null 2>&1; }

# ---- build -------------------------------------------------------------------------------------
scripts/install-deps.sh >&2
cmake -G Ninja -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target program_benchmarks poll_tick_count idle_minute stuck_switch \
  tallowmere tallowmere-desktop tallowmere-sim tallowmere_translations tallowmerectl >&2
bin=$build/bin

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"  # HOTKEY.CFG and the traces go here

rows=()  # "figure|value|goal|verdict"
row() { rows+=("$1|$2|$3|$4"); }
verdict() { awk -v v="$1" -v g="$2" 'BEGIN {
  if (v !~ /^[0-9.]+$/) print "-"; else print (v + 0 <= g + 0) ? "met" : "MISSED" }'; }
# Kilobytes as megabytes with one decimal, or what went wrong.
megabytes() { awk -v k="$1" 'BEGIN { if (k ~ /^[0-9]+$/) printf "%.1f MB", k / 1024; else print k }'; }

# ---- in-process: Google Benchmark over the simulated platform ----------------------------------
"$bin/program_benchmarks" --benchmark_format=csv --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true >benchmarks.csv 2>/dev/null
# The median of five repetitions; times in the unit Google Benchmark chose, made microseconds.
median_us() {
  awk -F, -v name="\"$1_median\"" '$1 == name {
      t = $4; u = $5; gsub(/"/, "", u)
      f = (u == "ns") ? 0.001 : (u == "ms") ? 1000 : (u == "s") ? 1e6 : 1
      printf "%.2f", t * f }' benchmarks.csv
}
tick=$(median_us "PollTick/generation:2")
period=$(median_us "PollPeriod/generation:2")
row "poll tick, CPU (v2 switch; v1 is not polled)" "$tick us" "<= 20 us" "$(verdict "$tick" 20)"
row "2 s of event loop with one poll (v2)" "$period us" "-" "-"
for g in 1 2; do
  hotkey=$(median_us "HotKey/generation:$g")
  row "hot key to report sent, less the 10 ticks (v$g)" "$hotkey us" "< 500 us" \
    "$(verdict "$hotkey" 500)"
done

# ---- in-process: a poll's instructions, counted by callgrind -----------------------------------
# The difference between 2000 and 1000 polls, so that the first poll's one-off work drops out.
if have valgrind; then
  for n in 1000 2000; do
    valgrind --tool=callgrind --toggle-collect='TimerFunction*' --callgrind-out-file=/dev/null \
      "$bin/poll_tick_count" "$n" >/dev/null 2>"callgrind.$n" || true
  done
  c1=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' callgrind.1000)
  c2=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' callgrind.2000)
  row "poll tick, instructions (v2, callgrind)" "$(((c2 - c1) / 1000))" "-" "-"
else
  row "poll tick, instructions (callgrind)" "not measured: no valgrind" "-" "-"
fi

# ---- whole process: start-up to the idle event loop -------------------------------------------
# From exec to the start of the main thread's first wait that blocks (a poll that waits 100 ms or
# more, or never returns), from strace timestamps; only the traced calls stop the program
# (seccomp), which keeps strace's cost small. The console front reads its commands from standard
# input, kept open and silent meanwhile. (The desktop front's, measured the same way, come from
# benchmarks/desktop-session.sh.)
startup_ms() {  # program, runs, then the environment for it
  local program=$1 n=$2
  shift 2
  rm -f trace.*
  for ((i = 1; i <= n; i++)); do
    (sleep 2) | env "$@" timeout 3 strace --seccomp-bpf -f -ttt -T \
      -e trace=execve,openat,poll,ppoll,epoll_wait,epoll_pwait -o "trace.$i" "$program" \
      >/dev/null 2>&1 || true
  done
  # Discovery lists the hidraw devices once for all the vendor/product pairs it watches.
  listings=$(cat trace.* | grep -cE 'openat\(.*"/sys/class/hidraw/?"' || true)
  awk -f "$root/benchmarks/first-wait.awk" trace.*
  echo "$listings" >listings
}
# `tallowmere` with no display runs the console front and loads none of the desktop's libraries
# (with a display it hands over to tallowmere-desktop as it starts); with no session bus either it
# loads no GLib (its figures with a bus are in the scripting part below).
no_display=(-u DISPLAY -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS -u XDG_RUNTIME_DIR)
read -r console_mean console_best _ < <(startup_ms "$bin/tallowmere" "$runs" "${no_display[@]}")
row "console front: start-up to idle loop (mean, best of $runs)" \
  "$console_mean ms ($console_best best)" "< 10 ms" "$(verdict "$console_mean" 10)"
row "  listings of the hidraw devices per start-up" "$(awk -v r="$runs" '{ print $1 / r }' listings)" \
  "1" "$([ "$(cat listings)" = "$runs" ] && echo met || echo MISSED)"

# The same in instructions, which the machine's other work does not change: a whole run, start
# and quit at the end of its input, counted by callgrind (dynamic linking included).
if have valgrind; then
  env "${no_display[@]}" valgrind --tool=callgrind --callgrind-out-file=/dev/null \
    "$bin/tallowmere" </dev/null >/dev/null 2>callgrind.tallowmere || true
  console_instructions=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' callgrind.tallowmere)
  row "console front: start and quit, instructions (callgrind)" \
    "$(awk -v n="$console_instructions" 'BEGIN { printf "%.1f million", n / 1e6 }')" "-" "-"
fi

# ---- whole process: peak resident memory (VmHWM) once idle -------------------------------------
peak_kb() {  # program, then the environment for it
  local program=$1
  shift
  mkfifo input.fifo
  env "$@" "$program" <input.fifo >/dev/null 2>&1 &
  local pid=$!
  exec 9>input.fifo  # standard input stays open until the reading is taken
  sleep "${SETTLE:-1}"
  local hwm
  hwm=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
  echo "${hwm:-not measured: the program had ended}"
  exec 9>&-  # end of input: the console front quits
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  rm -f input.fifo
}
console_kb=$(peak_kb "$bin/tallowmere" "${no_display[@]}")
row "console front: peak resident memory, idle" "$(megabytes "$console_kb")" "< 6 MB" \
  "$(verdict "$console_kb" $((6 * 1024)))"

# ---- the desktop front beside the toolkit's floor and Solaar's tray program ------------------
# One desktop session (Xvfb, a private bus, KDE's portal, Xfce's panel as the tray): its rows as
# benchmarks/desktop-session.sh prints them, the desktop front's idle minute included.
desktop_measured=0
while IFS='|' read -r figure value goal verdict; do
  row "$figure" "$value" "$goal" "$verdict"
done < <(RUNS=$runs IDLE_SECONDS=$idle_seconds FIGURES=$work/desktop.figures \
  "$root/benchmarks/desktop-session.sh" "$bin")
read -r desktop_mean desktop_kb _ 2>/dev/null <desktop.figures && desktop_measured=1

# ---- idle cost ---------------------------------------------------------------------------------
# A real minute of `tallowmere` with no switch, after 5 seconds to start: every system call of
# every thread but the waits, and the wake-ups (waits that returned), per minute.
settle=5
idle_trace() {  # output, program, then the environment for it
  local out=$1 program=$2
  shift 2
  (sleep $((idle_seconds + settle + 5))) | env "$@" timeout -s INT $((idle_seconds + settle)) \
    strace -f -ttt -o "$out" "$program" >/dev/null 2>&1 || true
}
# Calls and wake-ups from `settle` seconds after exec on, and how many of the calls read the
# simulation's clock-following timer (its descriptor comes from timerfd_create).
idle_counts() {
  awk -v settle="$settle" '
    /execve\(/ && start == "" { start = $2 }
    /timerfd_create\(/ { split($0, a, "= "); timer = a[2] + 0 }
    # The signal that ends the trace interrupts the waits: that is not a wake-up of the program.
    start == "" || $2 < start + settle || /--- SIG|\+\+\+ |ERESTART|restart_syscall/ { next }
    /resumed>/ { if (/(poll|ppoll|epoll_wait|epoll_pwait|select)/) wakes++; next }
    /^[0-9]+ +[0-9.]+ [a-z_0-9]+\(/ {
      if (/(poll|ppoll|epoll_wait|epoll_pwait|select)\(/) { if (!/unfinished/) wakes++; next }
      if (timer && $0 ~ ("read\\(" timer ",")) follower++
      calls++ }
    END { printf "%d %d %d\n", calls, wakes, follower }' "$1"
}
scale() { awk -v n="$1" -v s="$idle_seconds" 'BEGIN { printf "%.0f", n * 60 / s }'; }
idle_trace idle.trace "$bin/tallowmere" "${no_display[@]}"
read -r idle_calls idle_wakes _ < <(idle_counts idle.trace)
row "idle, no switch, real minute: calls besides the wait / wake-ups" \
  "$(scale "$idle_calls") / $(scale "$idle_wakes") per min" "0 / 0" \
  "$([ "$idle_calls" = 0 ] && [ "$idle_wakes" = 0 ] && echo met || echo MISSED)"

# With a switch: a minute of the simulation's virtual time (tallowmere-sim from a pipe is virtual
# too); the switch is simulated, so its polls cost no system call, and a trace of the minute
# shows whether anything else runs.
for g in 1 2; do
  strace -f -o "virtual.$g" "$bin/idle_minute" "$g" >"virtual.$g.out" 2>/dev/null || true
  polls=$(awk '/^polls/ { print $2 }' "virtual.$g.out")
  others=$(awk '/^polls/ { print $6 }' "virtual.$g.out")
  calls=$(awk '/idle minute: begin/ { inside = 1; next } /idle minute: end/ { inside = 0 }
    inside && /^[0-9]+ +[a-z_0-9]+\(/ { n++ } END { print n + 0 }' "virtual.$g")
  want=$([ "$g" = 2 ] && echo 30 || echo 0)  # a generation-1 switch is not polled
  row "idle, v$g switch, virtual minute: polls / other commands / system calls" \
    "$polls / $others / $calls" "$want / 0 / 0" \
    "$([ "$polls" = "$want" ] && [ "$others" = 0 ] && [ "$calls" = 0 ] && echo met || echo MISSED)"
done

# A version-2 switch that stops answering, on the real backend: a uhid switch that never replies
# where /dev/uhid opens (as root, with the uhid module), a stand-in kernel otherwise. The longest
# time one device call blocks the program's thread; the first status poll after the switch went
# silent (the protocol's 5-tick pause before its attempt, plus one deadline: a request that timed
# out is not repeated) and the polls after it.
modprobe uhid 2>/dev/null || true
"$bin/stuck_switch" 3 >stuck.out 2>/dev/null || true
stuck() { awk -v k="$1" '$1 == k { print $2 }' stuck.out; }
block=$(stuck longest-block-ms)
row "stuck switch ($(stuck how)): longest main-thread block by one device call" "$block ms" \
  "<= 250 ms" "$(verdict "$block" 250)"
# The main thread is busy longest with the first poll after the switch went silent: a console
# `status` (answered from the program's record, between two events) waits at most that long.
first_poll=$(stuck first-poll-ms)
row "  a console status waits at most the first poll after it stopped answering" \
  "$first_poll ms" "<= 500 ms" "$(verdict "$first_poll" 500)"
row "  later polls; a command" "$(stuck next-poll-ms) ms; $(stuck command-ms) ms" "-" "-"

# tallowmere-sim from a terminal (a pseudo-terminal made by `script`), a real minute: its clock
# follows the wall clock by waking on a timer of its own (the simulation's, not the program's).
if have script; then
  (sleep $((idle_seconds + settle + 5))) | timeout -s INT $((idle_seconds + settle)) script -qfec \
    "strace -f -ttt -o $work/sim.trace env -u DISPLAY -u WAYLAND_DISPLAY $bin/tallowmere-sim" \
    /dev/null >/dev/null 2>&1 || true
  read -r sim_calls sim_wakes sim_follower < <(idle_counts sim.trace)
  row "tallowmere-sim in a terminal, v2 switch, real minute: wake-ups; other calls" \
    "$(scale "$sim_wakes") (clock follower: $(scale "$sim_follower")); $(scale $((sim_calls - sim_follower))) per min" \
    "-" "simulation"
fi

# ---- reference points: ddcutil detect, solaar show (no device) ---------------------------------
# Each whole run, exec to exit (median of the runs), with our program's whole run (start, then
# quit at the end of its input) beside it; peak memory from GNU time.
# The median of the runs: the machine's other work only ever adds time.
wall_ms() {  # runs, command...   (EPOCHREALTIME: the shell's own clock, no process to start)
  local n=$1
  shift
  local start end
  for ((i = 1; i <= n; i++)); do
    start=${EPOCHREALTIME/./}
    "$@" </dev/null >/dev/null 2>&1 || true
    end=${EPOCHREALTIME/./}
    echo $((end - start))
  done | sort -n | awk '{ t[NR] = $1 } END { printf "%.1f", t[int((NR + 1) / 2)] / 1e3 }'
}
max_kb() { { /usr/bin/time -f %M "$@" </dev/null 2>&1 >/dev/null || true; } | tail -n1; }
# Started as the references are, by the shell itself (through `env` it would pay a second exec).
ours_ms=$(unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR
  wall_ms "$runs" "$bin/tallowmere")
ours_kb=$(max_kb env "${no_display[@]}" "$bin/tallowmere")
# What starting any program costs here (fork, exec, exit, wait), which every whole run includes.
floor_ms=$(wall_ms "$runs" /bin/true)
row "any program's whole run here: /bin/true (median of $runs)" "$floor_ms ms" "-" "floor"
row "console front: whole run, start to quit" "$ours_ms ms, $(megabytes "$ours_kb")" "-" "-"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {
  if (a ~ /^[0-9.]+$/ && b ~ /^[0-9.]+$/ && b > 0) printf "%.2f", a / b; else print "?" }'; }
for reference in "ddcutil detect" "solaar show"; do
  tool=${reference%% *}
  if have "$tool" && [ -x /usr/bin/time ]; then
    # shellcheck disable=SC2086
    ms=$(wall_ms "$runs" $reference)
    # shellcheck disable=SC2086
    kb=$(max_kb $reference)
    row "$reference (no device): whole run, peak memory" "$ms ms, $(megabytes "$kb")" "-" \
      "reference"
    if [ "$tool" = ddcutil ]; then
      # The console front's goal: at most half of this command-line peer in time and memory.
      ddcutil_ms=$ms
      time_ratio=$(ratio "$ours_ms" "$ms")
      memory_ratio=$(ratio "$ours_kb" "$kb")
      row "  console front / $reference: whole run" "$time_ratio x" "<= 0.5 x" \
        "$(verdict "$time_ratio" 0.5)"
      row "  console front / $reference: peak memory" "$memory_ratio x" "<= 0.5 x" \
        "$(verdict "$memory_ratio" 0.5)"
      row "  console front / $reference: whole runs less /bin/true's" \
        "$(awk -v a="$ours_ms" -v b="$ms" -v f="$floor_ms" 'BEGIN {
          if (b - f > 0) printf "%.2f x", (a - f) / (b - f); else print "?" }')" "-" "-"
      if have valgrind; then
        # shellcheck disable=SC2086
        valgrind --tool=callgrind --callgrind-out-file=/dev/null $reference </dev/null \
          >/dev/null 2>callgrind.reference || true
        count=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' callgrind.reference)
        row "  $reference: instructions (callgrind); the console front's as a ratio" \
          "$(awk -v n="$count" 'BEGIN { printf "%.1f million", n / 1e6 }'); $(ratio "$console_instructions" "$count") x" \
          "-" "-"
      fi
    else
      row "  console front / $reference: time, memory" \
        "$(ratio "$ours_ms" "$ms") x, $(ratio "$ours_kb" "$kb") x" "-" "-"
    fi
    if [ "$desktop_measured" = 1 ]; then
      row "  desktop front start-up / $reference run, memory" \
        "$(ratio "$desktop_mean" "$ms") x, $(ratio "$desktop_kb" "$kb") x" "-" "-"
    fi
  else
    row "$reference" "not measured: not installed" "-" "-"
  fi
done

# ---- scripting: tallowmerectl against a running program ----------------------------------------
# tallowmere-sim on a private session bus, its console on a pipe. Its clock is virtual, so the
# protocol's 10-tick delay before a command costs nothing: tallowmerectl's whole run (exec, the
# call, the command sent to the switch, the answer, exit) bounds the time from exec to the
# command leaving the program, less the 10 ticks.
ddcutil_ms=${ddcutil_ms:-}
if have dbus-daemon; then
  dbus-daemon --session --nofork --nopidfile --print-address=3 3>bus.address >/dev/null 2>&1 &
  bus_pid=$!
  for _ in $(seq 50); do [ -s bus.address ] && break; sleep 0.1; done
  address=$(head -n1 bus.address)
  mkfifo sim.in
  env -u DISPLAY -u WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS="$address" "$bin/tallowmere-sim" <sim.in \
    >sim.out 2>/dev/null &
  sim_pid=$!
  exec 9>sim.in
  for _ in $(seq 50); do
    DBUS_SESSION_BUS_ADDRESS=$address "$bin/tallowmerectl" status >/dev/null 2>&1 && break
    sleep 0.1
  done
  switch_ms=$(export DBUS_SESSION_BUS_ADDRESS=$address; wall_ms "$runs" "$bin/tallowmerectl" switch 2)
  status_ms=$(export DBUS_SESSION_BUS_ADDRESS=$address; wall_ms "$runs" "$bin/tallowmerectl" status)
  row "tallowmerectl switch 2 to a running program: whole run, exec to answer (median of $runs)" \
    "$switch_ms ms" "<= 5 ms" "$(verdict "$switch_ms" 5)"
  row "tallowmerectl status from a running program: whole run (median of $runs)" \
    "$status_ms ms" "<= 5 ms" "$(verdict "$status_ms" 5)"
  if [ -n "$ddcutil_ms" ]; then
    half=$(ratio "$switch_ms" "$ddcutil_ms")
    row "  tallowmerectl switch 2 / ddcutil detect, whole runs" "$half x" "<= 0.5 x" \
      "$(verdict "$half" 0.5)"
    row "  tallowmerectl status / ddcutil detect, whole runs" \
      "$(ratio "$status_ms" "$ddcutil_ms") x" "<= 0.5 x" \
      "$(verdict "$(ratio "$status_ms" "$ddcutil_ms")" 0.5)"
  fi
  if have valgrind; then
    DBUS_SESSION_BUS_ADDRESS=$address valgrind --tool=callgrind --callgrind-out-file=/dev/null \
      "$bin/tallowmerectl" switch 2 </dev/null >/dev/null 2>callgrind.ctl || true
    count=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' callgrind.ctl)
    row "tallowmerectl switch 2, instructions (callgrind)" \
      "$(awk -v n="$count" 'BEGIN { printf "%.1f million", n / 1e6 }')" "-" "-"
    env "${no_display[@]}" DBUS_SESSION_BUS_ADDRESS="$address" valgrind --tool=callgrind \
      --callgrind-out-file=/dev/null "$bin/tallowmere" </dev/null >/dev/null 2>callgrind.bus || true
    count=$(sed -n 's/.*Collected : \([0-9]*\).*/\1/p' callgrind.bus)
    row "console front with a session bus: start and quit, instructions (callgrind)" \
      "$(awk -v n="$count" 'BEGIN { printf "%.1f million", n / 1e6 }')" "-" "-"
  fi
  exec 9>&-
  # The simulation has ended with its input: the console front owns the name and serves.
  bus_kb=$(peak_kb "$bin/tallowmere" "${no_display[@]}" DBUS_SESSION_BUS_ADDRESS="$address")
  row "console front with a session bus: peak resident memory, idle" "$(megabytes "$bus_kb")" \
    "-" "-"
  # Its idle minute with the scripting interface served: GLib's threads as well as its own, 20 s
  # after the start (a thread of GLib's pool ends once, 15 s after it is made).
  settle=20
  idle_trace bus-idle.trace "$bin/tallowmere" "${no_display[@]}" DBUS_SESSION_BUS_ADDRESS="$address"
  read -r bus_calls bus_wakes _ < <(idle_counts bus-idle.trace)
  settle=5
  row "  the same, idle, real minute: calls besides the wait / wake-ups (every thread)" \
    "$(scale "$bus_calls") / $(scale "$bus_wakes") per min" "0 / 0" \
    "$([ "$bus_calls" = 0 ] && [ "$bus_wakes" = 0 ] && echo met || echo MISSED)"
  kill "$sim_pid" "$bus_pid" 2>/dev/null || true
  wait "$sim_pid" "$bus_pid" 2>/dev/null || true
else
  row "tallowmerectl switch 2" "not measured: no dbus-daemon" "-" "-"
fi

# ---- hot key to the switch on a real kernel, in a virtual machine -------------------------------
# One boot of the test scenarios' machine with the benchmark's own scenario (tools/vm); its rows
# as it prints them, or one that says why it could not run.
while IFS='|' read -r figure value goal verdict; do
  row "$figure" "$value" "$goal" "$verdict"
done < <(TALLOWMERE_VM_BUILD=$build "$root/tools/vm/hotkey-latency.sh")

# ---- the table ---------------------------------------------------------------------------------
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)
echo
echo "Tallowmere figures: $cpu, $(nproc) cores, Linux $(uname -r), $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "(build/bench: gcc RelWithDebInfo; in-process figures are medians of 5 repetitions;"
echo " load average when done: $(cut -d' ' -f1-3 /proc/loadavg))"
{
  echo "figure|measured|goal|verdict"
  echo "---|---|---|---"
  printf '%s\n' "${rows[@]}"
} | awk -F'|' '{ for (i = 1; i <= NF; i++) { cell[NR, i] = $i; if (length($i) > w[i]) w[i] = length($i) } }
  END { for (r = 1; r <= NR; r++) { line = ""
          for (i = 1; i <= 4; i++) line = line sprintf("%-*s", w[i] + 2, cell[r, i]); print line } }'
