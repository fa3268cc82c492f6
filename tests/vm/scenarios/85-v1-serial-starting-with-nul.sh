# A version-1 switch whose serial-number string starts with U+0000 while PC 1 is active: the
# kernel's copy of the serial ends there (empty), so the switch is found and read from the string
# on the USB device itself, and commanded. The HID driver is never unbound.
. /scenarios/lib.sh

watch_hidraw
start_switch gadget-switch --nul-serial
start_program
wait_for_icon velbrook1.icns 30
program_status
for device in /sys/bus/usb/devices/*; do
  [ "$(cat "$device/idVendor" 2>/dev/null)" = 10d5 ] || continue
  echo "the kernel's serial number of the switch: '$(cat "$device/serial" 2>/dev/null)'"
  echo "its HID device's: '$(sed -n 's/^HID_UNIQ=//p' "$device"/*:1.0/0003:*/uevent)'"
done

command_version1_then_unplug
