// The four global hot keys: Control + Option + the stored key of each port.
#pragma once

// (Re)registers the hot keys of ports 1 to 4 from KVMSwitch.hotKeys for the application, with
// the signatures 'PCH1' to 'PCH4' and the ids 1 to 4, first unregistering the four it registered
// before. A key that cannot be registered is not active; the others still are.
void RegisterHotKeys();
