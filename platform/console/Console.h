// The console front: a text front for the program. It prints what a person would see (the Dock
// icon as it changes, windows as they open and close, and on request the Dock menu, the menu bar
// and the open windows) and turns typed lines into what a person would do.
//
// One command per line; blank lines and lines starting with # are skipped. A mistake (an unknown
// command, a bad argument, something that cannot be used now) prints one line saying so and
// changes nothing.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/FrontModel.h"

namespace plat::console {

class Console;

struct Command {
  std::string name;
  std::string synopsis;  // how it is typed, e.g. "choose ID N"
  std::string help;      // what it does, one line
  // Runs with the rest of the line after the name, blanks around it removed.
  std::function<void(Console& console, std::string_view arguments)> run;
};

// Commands that the program linked with the console adds (the switch's status, the simulation's
// own): registered while the program's static objects are made, before main runs.
void AddProgramCommand(Command command);
// Work that the program linked with the console does when the console comes up as its front,
// before the first line is read (the simulation plugs in the switch on its desk). Registered
// like the commands.
void AddProgramStart(std::function<void()> start);
void RunProgramStarts();

// Where the console's text goes, piece by piece: each piece (lines, the prompt) is to be shown
// at once.
using ConsoleOutput = std::function<void(std::string_view text)>;
// The program's standard output (stdio's, so that it keeps its order with the program's own
// printf lines), flushed after each piece.
ConsoleOutput StandardOutput();

class Console {
 public:
  // Prints to `out`. Starts showing the model at once (Dock icon, windows).
  explicit Console(ConsoleOutput out);
  ~Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // Runs one typed line.
  void Execute(std::string_view line);
  // Quits as the menu bar's Quit command would; no further line is run.
  void Quit();
  bool HasQuit() const { return quit_; }
  // The input has ended: quits (after ending the prompt's line in a terminal).
  void EndOfInput();

  // One line of output. Output that arrives while no command runs (the program's own timers, in
  // a terminal) is printed above the prompt.
  void Print(std::string_view line);
  // In a terminal: the prompt shown while the console waits for a line ("" for none).
  void SetPrompt(std::string prompt) { prompt_ = std::move(prompt); }
  void ShowPrompt();

  const std::vector<Command>& Commands() const { return commands_; }

 private:
  void AddCommands(std::vector<Command> commands);
  void DockTileChanged();
  void WindowChanged(WindowRef window);

  ConsoleOutput out_;
  std::vector<Command> commands_;
  std::string prompt_;
  bool running_ = false;      // a command is running
  bool promptShown_ = false;  // the prompt ends the last line printed
  bool quit_ = false;
  int dockTileObserver_ = 0;
  ObserverId modelObserver_ = 0;
  // The windows shown now, with their titles (a disposed window's title is gone with it).
  std::vector<std::pair<WindowRef, std::string>> shownWindows_;
};

}  // namespace plat::console
