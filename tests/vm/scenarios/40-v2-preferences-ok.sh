# A Preferences edit saved with OK on a version-2 switch: the buzzer off, the audio fixed to PC 3
# and a 20-second auto-scan period. The switch receives the commands in the program's fixed order.
. /scenarios/lib.sh

start_switch uhid-switch
start_program
wait_for_icon velbrook1.icns 30
type_line "menu Preferences..."
wait_for "$work/program.out" '^window opened: "Preferences"' 15
type_line click OPTG:11
type_line click OPTG:12
type_line choose OPTG:13 3
type_line choose OPTG:18 4
type_line ok
wait_for "$work/program.out" '^window closed: "Preferences"' 30
# The next poll reads the settings back.
sleep 4
program_status

quit_program
show_program
show_switch_commands
stop_switch
