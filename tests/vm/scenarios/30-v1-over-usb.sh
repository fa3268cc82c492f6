# A version-1 switch on USB: found as a HID device with a serial number, handed to the USB route,
# its status read from the serial-number string; Control + Option + 3 reaches the switch as a
# packet on its OUT endpoint. Claiming the interface takes the hidraw node away and the kernel
# makes it again when it is released: neither is taken for the switch going away.
. /scenarios/lib.sh

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
# Writing claimed the interfaces: the HID driver let go of the switch (its hidraw node went) and
# bound it again on release, which the kernel log counts. The program still holds the switch.
echo "the HID driver bound the switch $(dmesg | grep -c 'hid-generic 0003:10D5:000D') times"
echo "hidraw nodes now: $(ls /sys/class/hidraw | wc -l)"

# The switch's own button for PC 2, seen at the next read.
switch_command button 2
type_line dock
program_status

switch_command unplug
wait_for_icon velbrookmain.icns 15
program_status

quit_program
show_program
show_switch_commands
stop_switch
