# The switch is unplugged and, before the program has seen the removal, another HID device (not a
# switch: other vendor and product ids) takes the same hidraw node. The program is stopped
# meanwhile so that this order is certain; a hot key and a poll are due when it goes on. Not one
# request reaches the other device: the node is no longer the switch's (the program may open it,
# only to find out whose it is).
. /scenarios/lib.sh

start_switch uhid-switch
start_program
wait_for_icon velbrook1.icns 30
node=$(ls /sys/class/hidraw)

kill -STOP "$program_pid"
switch_command unplug
wait_for "$work/switch.log" '^unplugged' 10
start_other 1234:5678
ticks=0
while ! grep -q '^HID_ID=0003:00001234:00005678$' /sys/class/hidraw/"$node"/device/uevent 2>/dev/null &&
  [ "$ticks" -lt 50 ]; do
  ticks=$((ticks + 1))
  usleep 200000
done
echo "the other device has the switch's node: $(ls /sys/class/hidraw) (was $node), $(
  sed -n 's/^HID_ID=//p' /sys/class/hidraw/"$node"/device/uevent)"
udevadm settle --timeout=30
type_line hotkey 2
# More than a poll period stopped: a poll is due too.
sleep 3
kill -CONT "$program_pid"
wait_for_icon velbrookmain.icns 30
# Two more poll periods: nothing is read from the other device either.
sleep 5
program_status

quit_program
show_program
show_switch_commands
show_other_requests
stop_other
stop_switch
