# A version-2 switch already plugged in when the program starts: opened during start-up.
. /scenarios/lib.sh

start_switch uhid-switch
start_program
wait_for_icon velbrook1.icns 30
program_status
type_line hotkey 4
wait_for_icon velbrook4.icns 15
program_status

quit_program
show_program
show_switch_reads
show_switch_commands
stop_switch
