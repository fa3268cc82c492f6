# Helpers the scenarios share, inside the virtual machine (busybox sh). A scenario prints its
# transcript on standard output; the host compares it with tests/vm/expected/<scenario>.txt.
#
# The program and the switch emulator each read their commands from a FIFO held open on file
# descriptors 3 (the program) and 4 (the switch), so that each goes on running between lines.

work=/tmp/scenario
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
}

# start_switch EMULATOR: a switch emulator (uhid-switch or gadget-switch), plugged in at once.
start_switch() {
  mkfifo "$work/switch.in"
  "$1" <"$work/switch.in" >"$work/switch.log" 2>&1 &
  switch_pid=$!
  exec 4>"$work/switch.in"
  wait_for "$work/switch.log" '^plugged' 30 || return 1
}

type_line() { echo "$*" >&3; }
switch_command() { echo "$*" >&4; }

# wait_for FILE PATTERN [SECONDS]: until a line of FILE matches PATTERN (grep -E); says so when
# it never does.
wait_for() {
  wait_for_count "$1" "$2" 1 "${3:-}"
}

# wait_for_count FILE PATTERN COUNT [SECONDS]: until COUNT lines of FILE match.
wait_for_count() {
  limit=$(($4 + 0))
  [ "$limit" -gt 0 ] || limit=30
  ticks=0
  while [ "$(grep -Ec "$2" "$1" 2>/dev/null)" -lt "$3" ]; do
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
  before=$(grep -c '^state=' "$work/program.out")
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
# neutral (hidraw0 and the USB bus and device numbers depend on what came before).
show_program() {
  echo "--- tallowmere printed:"
  cat "$work/program.out"
  echo "--- tallowmere said on standard error:"
  sed -E 's#/dev/hidraw[0-9]+#/dev/hidrawN#g; s#/dev/bus/usb/[0-9]+/[0-9]+#/dev/bus/usb/BBB/DDD#g' \
    "$work/program.err"
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
  while [ "$(grep '^dock icon: ' "$work/program.out" | tail -n 1)" != "dock icon: $1" ]; do
    ticks=$((ticks + 1))
    if [ "$ticks" -gt $((limit * 5)) ]; then
      echo "timed out after ${limit}s waiting for the dock icon $1"
      return 1
    fi
    usleep 200000
  done
}
