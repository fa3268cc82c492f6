// The first steps of the program and its last: what it runs on, and the lifetime of the switch
// record's lock.
#pragma once

// 1 when the process runs natively, 0 when it runs translated, -1 when that cannot be told.
// Only pid 0 (this process) is asked about; any other pid yields 0.
int is_pid_native(int pid);

// One line on standard error saying whether the program runs natively or translated.
void PrintNativeLine();
// One line on standard error naming the byte order, as found in memory.
void PrintByteOrderLine();
// Clears the whole switch record: session active, no switch, no handles, no hot keys.
void ClearSwitchRecord();
// Creates the switch record's critical region; a failure is reported and start-up goes on.
void CreateSwitchRegion();
// Deletes the critical region once the event loop has ended.
void DeleteSwitchRegion();
