# The program started by the user at the seat before the udev rule is installed: it says it has
# no permission and does not crash. The rule is then installed and applied as README says
# (`udevadm control --reload && udevadm trigger`, Debian's systemd-udevd in the machine); the
# running program finds the switch, with no replug, and commands it.
. /scenarios/lib.sh

remove_rule
start_switch gadget-switch
start_program guest
wait_for "$work/program.err" 'no permission' 30
program_status

install_rule
wait_for_icon velbrook1.icns 30
program_status
type_line hotkey 2
wait_for "$work/switch.log" '^out: ' 15

echo "the switch was plugged in $(grep -c '^plugged' "$work/switch.log") time(s)"

quit_program
show_program
show_switch_commands
stop_switch
