# The program run by a user without access to the device nodes: it says so, does not crash, and
# finds the switch once access is granted and the switch is plugged again. The program is held
# still while the new node gets its access rights, as udev's rules would have applied them before
# announcing the device.
. /scenarios/lib.sh

start_switch uhid-switch
start_program guest
wait_for "$work/program.err" 'hidraw' 30
program_status

switch_command unplug
wait_for "$work/switch.log" '^unplugged' 10
usleep 500000
kill -STOP "$program_pid"
switch_command plug
wait_for_count "$work/switch.log" '^plugged' 2 10
ticks=0
while ! ls /dev/hidraw* >/dev/null 2>&1 && [ "$ticks" -lt 50 ]; do
  ticks=$((ticks + 1))
  usleep 200000
done
chmod 666 /dev/hidraw*
kill -CONT "$program_pid"
wait_for_icon velbrook1.icns 30
program_status

quit_program
show_program
show_switch_commands
stop_switch
