# A version-2 switch plugged in after the program started: found, its status read, PC 1 in the
# icon; Control + Option + 2 reaches the switch as feature report 4 with the port command; the
# switch's own button for PC 3 shows at the next poll; unplugged, the main icon and no more reads.
. /scenarios/lib.sh

start_program
usleep 500000
start_switch uhid-switch
wait_for_icon velbrook1.icns 30
wait_for "$work/switch.log" '^get 4:' 10

type_line hotkey 2
wait_for "$work/switch.log" '^set 4:' 10
wait_for_icon velbrook2.icns 15

switch_command button 3
wait_for_icon velbrook3.icns 15
program_status

switch_command unplug
wait_for_icon velbrookmain.icns 15
# Two poll periods later: no read was tried (a failed one would be said on standard error).
sleep 5
program_status

quit_program
show_program
show_switch_reads
show_switch_commands
stop_switch
