# A version-1 switch on USB: found as a HID device with a serial number, handed to the USB route,
# its status read from the serial-number string; Control + Option + 3 reaches the switch as a
# packet on the OUT endpoint of its vendor interface. The HID driver keeps the switch throughout:
# it is bound once, at plug-in, and its hidraw node never goes away while the switch is there.
. /scenarios/lib.sh

watch_hidraw
start_program
usleep 500000
start_switch gadget-switch
wait_for_icon velbrook1.icns 30
program_status

type_line hotkey 3
wait_for "$work/switch.log" '^out: ' 15
# Switches on USB are not polled: opening the Dock menu reads the status afresh.
type_line dock
program_status

# The switch's own button for PC 2, seen at the next read.
switch_command button 2
type_line dock
program_status
show_hid_driver 10D5:000D

switch_command unplug
wait_for_icon velbrookmain.icns 15
program_status

quit_program
show_program
show_switch_commands
stop_switch
