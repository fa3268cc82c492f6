# A version-1 switch built with its OUT endpoint on its HID interface (its only interface): found,
# its status read from the serial-number string, and Control + Option + 3 written through its
# hidraw node as an output report, which usbhid sends on that OUT endpoint. The HID driver is
# never unbound: it binds once, at plug-in, and the hidraw node stays.
. /scenarios/lib.sh

watch_hidraw
start_program
usleep 500000
start_switch gadget-switch --layout hid-out
wait_for_icon velbrook1.icns 30
program_status

command_version1_then_unplug
