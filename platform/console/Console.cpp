#include "platform/console/Console.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "platform/CarbonEvents.h"
#include "platform/DockTile.h"
#include "platform/Menus.h"
#include "platform/console/Arguments.h"
#include "platform/console/StandardCommands.h"

namespace plat::console {
namespace {

std::vector<Command>& ProgramCommands() {
  static std::vector<Command> commands;
  return commands;
}

// The file name the image was read from, without its folder.
std::string IconName(CGImageRef image) {
  const std::string path = ImageFilePath(image);
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<std::function<void()>>& ProgramStarts() {
  static std::vector<std::function<void()>> starts;
  return starts;
}

}  // namespace

void AddProgramCommand(Command command) {
  ProgramCommands().push_back(std::move(command));
}

void AddProgramStart(std::function<void()> start) {
  ProgramStarts().push_back(std::move(start));
}

void RunProgramStarts() {
  for (const auto& start : ProgramStarts())
    start();
}

ConsoleOutput StandardOutput() {
  return [](std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
  };
}

Console::Console(ConsoleOutput out) : out_(std::move(out)) {
  AddCommands(StandardCommands());
  AddCommands(ProgramCommands());
  AddCommands(ConsoleCommands());
  dockTileObserver_ = AddDockTileObserver([this](CGImageRef) { DockTileChanged(); });
  modelObserver_ = AddModelObserver([this](const ModelChange& change) {
    if (change.what == ModelChange::kWindow)
      WindowChanged(change.window);
  });
  // What is there already when the console comes up.
  if (CurrentDockTileImage() != nullptr)
    DockTileChanged();
  for (const WindowView& window : Windows())
    WindowChanged(window.ref);
}

Console::~Console() {
  RemoveDockTileObserver(dockTileObserver_);
  RemoveModelObserver(modelObserver_);
}

void Console::AddCommands(std::vector<Command> commands) {
  for (Command& command : commands) {
    // A program's command of the same name takes the place of the standard one.
    std::erase_if(commands_, [&](const Command& known) { return known.name == command.name; });
    commands_.push_back(std::move(command));
  }
}

void Console::Execute(std::string_view line) {
  // The person ended the line: the prompt has scrolled up with it.
  promptShown_ = false;
  if (quit_)
    return;
  line = Trim(line);
  if (line.empty() || line.front() == '#')
    return;
  const auto words = SplitFirstWord(line);
  const std::string_view name = words.first;
  const std::string_view arguments = words.second;
  const auto command = std::find_if(commands_.begin(), commands_.end(),
                                    [&](const Command& known) { return known.name == name; });
  if (command == commands_.end()) {
    Print("unknown command " + Quoted(name) + " (help lists the commands)");
    return;
  }
  running_ = true;
  command->run(*this, arguments);
  running_ = false;
}

void Console::Quit() {
  if (quit_)
    return;
  quit_ = true;
  MenuRef menu = nullptr;
  MenuItemIndex item = 0;
  if (GetIndMenuItemWithCommandID(nullptr, kHICommandQuit, 1, &menu, &item) == noErr &&
      ChooseMenuItem(menu, item) == noErr) {
    return;
  }
  // Without a Quit item in the menu bar the command goes to the application directly.
  HICommand command{};
  command.commandID = kHICommandQuit;
  EventRef event = nullptr;
  CreateEvent(nullptr, kEventClassCommand, kEventCommandProcess, 0, kEventAttributeUserEvent,
              &event);
  SetEventParameter(event, kEventParamDirectObject, typeHICommand, sizeof command, &command);
  SendEventToEventTarget(event, GetApplicationEventTarget());
  ReleaseEvent(event);
}

void Console::EndOfInput() {
  if (quit_)
    return;
  if (!prompt_.empty())
    out_("\n");
  Quit();
}

void Console::Print(std::string_view line) {
  if (!running_ && !prompt_.empty()) {
    // Over the prompt the person is looking at, then the prompt again below.
    out_((promptShown_ ? "\r\x1b[K" : "") + std::string(line) + "\n" + prompt_);
    promptShown_ = true;
  } else {
    out_(std::string(line) + "\n");
  }
}

void Console::ShowPrompt() {
  if (!prompt_.empty() && !quit_ && !promptShown_) {
    out_(prompt_);
    promptShown_ = true;
  }
}

void Console::DockTileChanged() {
  const CGImageRef image = CurrentDockTileImage();
  Print("dock icon: " +
        (image == nullptr ? std::string("(the application's own)") : IconName(image)));
}

void Console::WindowChanged(WindowRef ref) {
  const std::optional<WindowView> window = DescribeWindow(ref);
  const bool visible = window && window->visible;
  const auto known = std::find_if(shownWindows_.begin(), shownWindows_.end(),
                                  [ref](const auto& shown) { return shown.first == ref; });
  const bool wasVisible = known != shownWindows_.end();
  if (visible == wasVisible)
    return;
  if (visible) {
    shownWindows_.emplace_back(ref, window->title);
    Print("window opened: " + Quoted(window->title));
  } else {
    const std::string title = known->second;
    shownWindows_.erase(known);
    Print("window closed: " + Quoted(title));
  }
}

}  // namespace plat::console
