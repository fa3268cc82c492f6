# The rule installed, but the program run by a user who is not the one at the seat (as over ssh):
# udev gives access only to the seat's active session, and the program's permission line says so.
. /scenarios/lib.sh

install_rule
start_switch gadget-switch
start_program visitor
wait_for "$work/program.err" 'no permission' 30
program_status

quit_program
show_program
show_switch_commands
stop_switch
