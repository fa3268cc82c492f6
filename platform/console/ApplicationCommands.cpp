// The application as a whole: its Dock icon clicked, the login session, global hot keys, time
// passing, quitting, and the list of commands.
#include <algorithm>
#include <string>

#include "platform/HotKeys.h"
#include "platform/KeyCodes.h"
#include "platform/Processes.h"
#include "platform/RunLoop.h"
#include "platform/console/Arguments.h"
#include "platform/console/StandardCommands.h"

namespace plat::console {
namespace {

bool NoArguments(Console& console, std::string_view command, std::string_view arguments) {
  if (arguments.empty())
    return true;
  console.Print(std::string(command) + ": takes no arguments");
  return false;
}

void Help(Console& console, std::string_view arguments) {
  if (!NoArguments(console, "help", arguments))
    return;
  // The descriptions in one column; a longer synopsis has its description on the next line.
  constexpr std::size_t kColumn = 26;
  console.Print("Commands (one per line; # starts a comment):");
  for (const Command& command : console.Commands()) {
    const std::string synopsis = "  " + command.synopsis;
    if (synopsis.size() + 2 <= kColumn) {
      console.Print(synopsis + std::string(kColumn - synopsis.size(), ' ') + command.help);
    } else {
      console.Print(synopsis);
      console.Print(std::string(kColumn, ' ') + command.help);
    }
  }
}

void Quit(Console& console, std::string_view arguments) {
  if (NoArguments(console, "quit", arguments))
    console.Quit();
}

void Wait(Console& console, std::string_view arguments) {
  if (arguments.empty()) {
    console.Print("wait: usage: wait SECONDS");
    return;
  }
  const std::optional<double> seconds = ParseSeconds(arguments);
  if (!seconds) {
    console.Print("wait: " + Quoted(arguments) +
                  " is not a number of seconds (0 to 86400, decimals allowed)");
    return;
  }
  RunLoop::Main().RunFor(SecondsToNanos(*seconds));
}

void Show(Console& console, std::string_view arguments) {
  if (NoArguments(console, "show", arguments))
    ShowApplication();
}

void Session(Console& console, std::string_view arguments) {
  if (arguments == "inactive" || arguments == "active") {
    SwitchUserSession(arguments == "active");
    return;
  }
  console.Print("session: say session inactive or session active");
}

// A global hot key: Control + Option + the key, whichever window or program has the keyboard.
void HotKey(Console& console, std::string_view arguments) {
  if (arguments.empty()) {
    console.Print("hotkey: usage: hotkey KEY");
    return;
  }
  const std::optional<KeyPress> key = FindKeyByName(arguments);
  if (!key) {
    console.Print("hotkey: unknown key " + Quoted(arguments) + " (" + kKeyNamesHint + ")");
    return;
  }
  const UInt32 modifiers = key->modifiers | controlKey | optionKey;
  const std::vector<HotKeyRegistration> registered = RegisteredHotKeys();
  const bool known = std::any_of(registered.begin(), registered.end(), [&](const auto& hotKey) {
    return hotKey.keyCode == key->keyCode && hotKey.modifiers == modifiers;
  });
  if (!known) {
    // The key goes to whatever program has the keyboard; this one never hears of it.
    console.Print("hotkey: no hot key is registered for Control + Option + " +
                  std::string(arguments));
    return;
  }
  PressHotKey(key->keyCode, modifiers);
}

}  // namespace

std::vector<Command> ApplicationCommands() {
  return {
      {"hotkey", "hotkey KEY", "press Control + Option + KEY anywhere (e.g. hotkey 2, hotkey F6)",
       HotKey},
      {"show", "show", "click the Dock icon: the application is shown again", Show},
      {"session", "session inactive|active",
       "the login session is switched out (another user) or back", Session},
      {"wait", "wait SECONDS", "let that much time pass (decimals allowed)", Wait},
  };
}

std::vector<Command> ConsoleCommands() {
  return {
      {"help", "help", "list the commands", Help},
      {"quit", "quit", "quit as the menu bar's Quit does; so does the end of the input", Quit},
  };
}

std::vector<Command> StandardCommands() {
  std::vector<Command> commands;
  for (auto part : {MenuCommands, WindowCommands, ApplicationCommands}) {
    for (Command& command : part())
      commands.push_back(std::move(command));
  }
  return commands;
}

}  // namespace plat::console
