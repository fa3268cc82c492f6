# Twenty hot keys typed into the console front, ports 2 and 1 in turn so that each one is a real
# change of port, through timed-lines (the time each line is written to the program's input); the
# switch emulator logs the arrival of every feature report. The host pairs the n-th key with the
# n-th command report the switch received.
. /scenarios/lib.sh

presses=20
start_program
usleep 500000
start_switch uhid-switch --times
wait_for_icon velbrook1.icns 60
wait_for "$work/switch.log" '^get 4:' 20

mkfifo "$work/keys.in"
timed-lines "$work/program.in" <"$work/keys.in" >"$work/keys.log" 2>&1 &
keys_pid=$!
exec 6>"$work/keys.in"
press=0
while [ "$press" -lt "$presses" ]; do
  press=$((press + 1))
  port=$((2 - (press + 1) % 2))
  echo "hotkey $port" >&6
  wait_for_count "$work/switch.log" '^received set 4 ' "$press" 20 || break
  wait_for_icon "velbrook$port.icns" 20 || break
  # The icon changes at the status poll after the command. A pause of 0 to 1.9 s, different for
  # each press, puts the keys at points all over the 2-second poll period and the program's
  # 1/60 s tick, as a person's keys would fall: some while a poll is under way.
  usleep $((press * 7 % 20 * 100000))
done
exec 6>&-
wait "$keys_pid"
quit_program
echo "--- typed:"
cat "$work/keys.log"
echo "--- the switch received:"
grep '^received ' "$work/switch.log"
stop_switch
