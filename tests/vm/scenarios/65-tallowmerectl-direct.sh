# tallowmerectl with no tallowmere running (the machine has no session bus, so it talks to the
# switch itself): `status` and `switch 2` over the version-2 switch (feature reports, the command
# arriving as 04 81 01 ...) and over the version-1 gadget (the serial string, the command on the
# OUT endpoint, the HID driver never unbound), run by the user at the seat once the rule is
# installed. A user not at the seat gets exit status 3 and the node's name, and sends nothing; the
# commands that need the running program say that it is not running.
#
# The uhid switch has no USB device above it, so the rule's ATTRS{idVendor} lines cannot reach its
# hidraw node (a real version-2 switch is on USB, where they do): for it alone, a line of the same
# form keyed on its HID device's name stands in, and udevd grants the seat's user access as it
# would through the rule.
. /scenarios/lib.sh

# ctl USER ARGS...: tallowmerectl run by USER, its exit status, output and standard error (device
# numbers made neutral).
ctl() {
  user=$1
  shift
  su -s /bin/sh "$user" -c "cd $work/home && exec tallowmerectl $*" >"$work/ctl.out" 2>"$work/ctl.err"
  echo "--- $user: tallowmerectl $* -> status $?"
  cat "$work/ctl.out"
  sed -E 's#/dev/hidraw[0-9]+#/dev/hidrawN#g; s#/dev/bus/usb/[0-9]+/[0-9]+#/dev/bus/usb/BBB/DDD#g' \
    "$work/ctl.err"
}

install_rule
standin=/etc/udev/rules.d/70-uhid-switch.rules
echo 'SUBSYSTEM=="hidraw", KERNEL=="hidraw*", KERNELS=="0003:10D5:5504.*", TAG+="uaccess"' >"$standin"
udevadm control --reload

echo "=== version 2 (uhid)"
start_switch uhid-switch
udevadm settle --timeout=30
ctl guest status
ctl guest status --json
ctl guest switch 2
wait_for "$work/switch.log" '^set 4: 04 81 01 00 00 00 00 00' 10
ctl guest status
ctl guest switch 5
ctl visitor status
ctl visitor switch 3
show_switch_reads
show_switch_commands
switch_command unplug
wait_for "$work/switch.log" '^unplugged' 10
udevadm settle --timeout=30
ctl guest status
ctl guest switch 2
stop_switch
rm -f "$work/switch.in" "$standin"
udevadm control --reload

echo "=== version 1 (gadget on dummy_hcd)"
watch_hidraw
start_switch gadget-switch
# The gadget is plugged before the host has enumerated it: its HID interface's node comes last.
wait_for "$work/hidraw.events" ' add ' 30
udevadm settle --timeout=30
ctl guest status
ctl guest switch 2
wait_for "$work/switch.log" '^out: ' 10
ctl guest status --json
ctl visitor status
ctl visitor switch 3
show_hid_driver 10D5:000D
show_switch_commands
stop_switch

echo "=== without the program"
ctl guest preferences
ctl guest next
