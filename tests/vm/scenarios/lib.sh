# Helpers the scenarios share, inside the virtual machine (busybox sh). A scenario prints its
# transcript on standard output; the host compares it with tests/vm/expected/<scenario>.txt.
#
# The program and the switch emulator each read their commands from a FIFO held open on file
# descriptors 3 (the program) and 4 (the switch), so that each goes on running between lines.

work=/tmp/scenario
# Each scenario reads only its own kernel messages.
dmesg -c >/dev/null
rm -rf "$work"
mkdir -p "$work/home"
chmod 777 "$work" "$work/home"

# start_program [USER]: tallowmere with the console front, in a fresh working directory (no
# HOTKEY.CFG), as root or as USER.
start_program() {
  mkfifo "$work/program.in"
  if [ -n "$1" ]; then
    chmod 666 "$work/program.in"
    su -s /bin/sh "$1" -c "cd $work/home && exec tallowmere <$work/program.in >$work/program.out 2>$work/program.err" &
  else
    (cd "$work/home" && exec tallowmere <"$work/program.in" >"$work/program.out" 2>"$work/program.err") &
  fi
  program_pid=$!
  exec 3>"$work/program.in"
  # Its output files are made once it has opened its input: wait for them, so that nothing
  # reads them before they are there.
  ticks=0
  while ! [ -e "$work/program.out" ] || ! [ -e "$work/program.err" ]; do
    ticks=$((ticks + 1))
    [ "$ticks" -le 100 ] || break
    usleep 100000
  done
}

# start_switch EMULATOR [OPTION...]: a switch emulator (uhid-switch or gadget-switch, with its
# options), plugged in at once.
start_switch() {
  emulator=$1
  shift
  mkfifo "$work/switch.in"
  "$emulator" "$@" <"$work/switch.in" >"$work/switch.log" 2>&1 &
  switch_pid=$!
  exec 4>"$work/switch.in"
  wait_for "$work/switch.log" '^plugged' 30 || return 1
}

# start_other VVVV:PPPP: another HID device (not a switch) through uhid, its input on file
# descriptor 5, its log of every request it gets in other.log.
start_other() {
  mkfifo "$work/other.in"
  uhid-switch --other "$1" <"$work/other.in" >"$work/other.log" 2>&1 &
  other_pid=$!
  exec 5>"$work/other.in"
  wait_for "$work/other.log" '^plugged' 30 || return 1
}

stop_other() {
  echo quit >&5
  exec 5>&-
  wait "$other_pid"
}

# The repository's rule installed as a person would, and told to udevd, which applies it to the
# devices present.
install_rule() {
  cp /opt/tallowmere/70-tallowmere.rules /etc/udev/rules.d/70-tallowmere.rules
  udevadm control --reload && udevadm trigger
  udevadm settle --timeout=60
}

remove_rule() {
  rm -f /etc/udev/rules.d/70-tallowmere.rules
  udevadm control --reload && udevadm trigger
  udevadm settle --timeout=60
}

# Milliseconds since boot.
now_ms() {
  read -r up _ </proc/uptime
  centis=${up#*.}
  echo $((${up%.*} * 1000 + ${centis#0} * 10))
}

# quick_status: `status`, and whether the console answered it within half a second.
quick_status() {
  before=$(count_lines "$work/program.out" '^state=')
  started=$(now_ms)
  type_line status
  while [ "$(count_lines "$work/program.out" '^state=')" -le "$before" ]; do
    if [ $(($(now_ms) - started)) -gt 10000 ]; then
      echo "status: no answer in 10 s"
      return 1
    fi
    usleep 20000
  done
  took=$(($(now_ms) - started))
  if [ "$took" -lt 500 ]; then
    echo "status answered within half a second"
  else
    echo "status answered after $took ms"
  fi
}

# watch_hidraw: from now on, every hidraw node the kernel adds or removes is written down.
watch_hidraw() {
  udevadm monitor --kernel --subsystem-match=hidraw >"$work/hidraw.events" 2>&1 &
  monitor_pid=$!
  usleep 500000
}

# show_hid_driver VVVV:PPPP: how often the HID driver bound the device (the kernel says so at
# each bind) and how many of its hidraw nodes went away since watch_hidraw.
show_hid_driver() {
  echo "the HID driver bound the switch $(dmesg | grep -c "hid-generic 0003:$1") time(s)"
  echo "hidraw nodes removed: $(grep -c ' remove ' "$work/hidraw.events")"
  kill "$monitor_pid"
}

type_line() { echo "$*" >&3; }
switch_command() { echo "$*" >&4; }

# wait_for FILE PATTERN [SECONDS]: until a line of FILE matches PATTERN (grep -E); says so when
# it never does.
wait_for() {
  wait_for_count "$1" "$2" 1 "${3:-}"
}

# count_lines FILE PATTERN: how many lines of FILE match PATTERN (grep -E); 0 while FILE is
# not there yet (a program started through su makes its files a moment later).
count_lines() {
  count=$(grep -Ec "$2" "$1" 2>/dev/null)
  echo "${count:-0}"
}

# wait_for_count FILE PATTERN COUNT [SECONDS]: until COUNT lines of FILE match.
wait_for_count() {
  limit=$(($4 + 0))
  [ "$limit" -gt 0 ] || limit=30
  ticks=0
  while [ "$(count_lines "$1" "$2")" -lt "$3" ]; do
    ticks=$((ticks + 1))
    if [ "$ticks" -gt $((limit * 5)) ]; then
      echo "timed out after ${limit}s waiting for $3 lines /$2/ in $(basename "$1")"
      return 1
    fi
    usleep 200000
  done
}

# The program's status line, once it has been printed: `status` answers on its own line.
program_status() {
  before=$(count_lines "$work/program.out" '^state=')
  type_line status
  wait_for_count "$work/program.out" '^state=' $((before + 1)) 10
}

# quit_program: `quit`, then the program must end by itself.
quit_program() {
  type_line quit
  exec 3>&-
  ticks=0
  while kill -0 "$program_pid" 2>/dev/null; do
    ticks=$((ticks + 1))
    if [ "$ticks" -gt 100 ]; then
      echo "tallowmere did not quit"
      kill "$program_pid"
      break
    fi
    usleep 200000
  done
  wait "$program_pid"
  echo "tallowmere ended with status $?"
}

stop_switch() {
  switch_command quit
  exec 4>&-
  ticks=0
  while kill -0 "$switch_pid" 2>/dev/null; do
    ticks=$((ticks + 1))
    if [ "$ticks" -gt 50 ]; then
      echo "the switch emulator did not quit"
      kill -9 "$switch_pid"
      break
    fi
    usleep 200000
  done
}

# What the program printed on standard output, and on standard error with device numbers made
# neutral (hidraw0 and the USB bus and device numbers depend on what came before). With
# "once", a line repeated on standard error is shown once: how many polls fail in a row can
# depend on the machine's speed.
show_program() {
  echo "--- tallowmere printed:"
  cat "$work/program.out"
  echo "--- tallowmere said on standard error:"
  sed -E 's#/dev/hidraw[0-9]+#/dev/hidrawN#g; s#/dev/bus/usb/[0-9]+/[0-9]+#/dev/bus/usb/BBB/DDD#g' \
    "$work/program.err" | if [ "$1" = once ]; then uniq; else cat; fi
}

# The requests another device received (it logs every one).
show_other_requests() {
  if grep -q '^opened by the host' "$work/other.log"; then opened=yes; else opened=no; fi
  echo "the other device's node was opened: $opened"
  echo "--- the other device was asked (one line per request):"
  grep '^request' "$work/other.log"
}

# Which feature reports the switch was asked for (each poll reads both; how often varies).
show_switch_reads() {
  reports=$(sed -n 's/^get \([0-9]*\):.*/\1/p' "$work/switch.log" | sort -u | tr '\n' ' ')
  echo "--- the switch answered reads of feature reports: ${reports% }"
}

# The commands the switch received (feature-report writes and OUT packets), in order.
show_switch_commands() {
  echo "--- the switch received:"
  grep -E '^(set [0-9]+|out):' "$work/switch.log"
}

# wait_for_icon NAME [SECONDS]: until the Dock icon the program showed last is NAME.
wait_for_icon() {
  limit=$(($2 + 0))
  [ "$limit" -gt 0 ] || limit=30
  ticks=0
  while [ "$(grep '^dock icon: ' "$work/program.out" 2>/dev/null | tail -n 1)" != "dock icon: $1" ]; do
    ticks=$((ticks + 1))
    if [ "$ticks" -gt $((limit * 5)) ]; then
      echo "timed out after ${limit}s waiting for the dock icon $1"
      return 1
    fi
    usleep 200000
  done
}

# The end of a version-1 scenario: `hotkey 3` reaches the switch's OUT endpoint, the Dock menu
# reads its status afresh (switches on USB are not polled), the HID driver's bindings are shown;
# then the switch is unplugged, the program quits, and both sides' records are shown.
command_version1_then_unplug() {
  type_line hotkey 3
  wait_for "$work/switch.log" '^out: ' 15
  type_line dock
  program_status
  show_hid_driver 10D5:000D

  switch_command unplug
  wait_for_icon velbrookmain.icns 15

  quit_program
  show_program
  show_switch_commands
  stop_switch
}
