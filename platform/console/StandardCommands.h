// The commands every console has, by what they act on.
#pragma once

#include <vector>

#include "platform/console/Console.h"

namespace plat::console {

// hotkey, show, session, wait.
std::vector<Command> ApplicationCommands();
// dock, menu.
std::vector<Command> MenuCommands();
// window, click, choose, press, ok, cancel, close.
std::vector<Command> WindowCommands();

// The menus', the windows' and the application's, in that order (as help lists them).
std::vector<Command> StandardCommands();
// help, quit: listed after the program's own commands.
std::vector<Command> ConsoleCommands();

}  // namespace plat::console
