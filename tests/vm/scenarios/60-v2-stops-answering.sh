# A version-2 switch that stops answering (it takes requests and never replies, as a switch whose
# firmware has hung): the program is not frozen by it. While the switch hangs, the console
# answers each `status` within half a second and the icon shows no active port; once the switch
# answers again, the next poll shows its port.
. /scenarios/lib.sh

start_switch uhid-switch
start_program
wait_for_icon velbrook1.icns 30
type_line hotkey 2
wait_for "$work/switch.log" '^set 4:' 10
wait_for_icon velbrook2.icns 15

switch_command hang
wait_for "$work/switch.log" ': held$' 15
wait_for_icon velbrookmain.icns 30
quick_status
usleep 300000
quick_status
usleep 300000
quick_status

switch_command answer
wait_for_icon velbrook2.icns 30
program_status

quit_program
show_program once
show_switch_commands
stop_switch
