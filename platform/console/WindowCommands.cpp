// The open windows and their controls.
#include <optional>
#include <string>

#include "platform/FrontModel.h"
#include "platform/KeyCodes.h"
#include "platform/console/Arguments.h"
#include "platform/console/ModelText.h"
#include "platform/console/StandardCommands.h"

namespace plat::console {
namespace {

std::vector<WindowView> OpenWindows() {
  std::vector<WindowView> open;
  for (WindowView& window : Windows()) {
    if (window.visible)
      open.push_back(std::move(window));
  }
  return open;
}

struct FoundControl {
  WindowView window;
  ControlView control;
};

// The control with `id` that an open window shows, the front window first.
std::optional<FoundControl> FindShownControl(const ControlID& id) {
  for (WindowView& window : OpenWindows()) {
    for (const ControlView& control : window.controls) {
      if (control.shown && control.id.signature == id.signature && control.id.id == id.id)
        return FoundControl{std::move(window), control};
    }
  }
  return std::nullopt;
}

// Reads the control ID argument and finds the control; says what is wrong when it cannot.
std::optional<FoundControl> ControlArgument(Console& console, std::string_view command,
                                            std::string_view text) {
  const std::string prefix = std::string(command) + ": ";
  const std::optional<ControlID> id = ParseControlID(text);
  if (!id) {
    console.Print(prefix + Quoted(text) +
                  " is not a control ID (write it as SIGNATURE:ID, e.g. OPTG:11)");
    return std::nullopt;
  }
  std::optional<FoundControl> found = FindShownControl(*id);
  if (!found)
    console.Print(prefix + "no open window shows a control " + ControlIDText(*id));
  return found;
}

// How the console names a control: by its control ID, or by its title when it has none.
std::string ControlName(const ControlView& control) {
  if (control.id.signature == 0 && control.id.id == 0)
    return Quoted(control.title);
  return ControlIDText(control.id);
}

// Whether a person can use the control now; says why not when they cannot.
bool Usable(Console& console, std::string_view command, const ControlView& control) {
  if (control.usable)
    return true;
  console.Print(std::string(command) + ": " + ControlName(control) + " is disabled or inactive");
  return false;
}

// The control as it is after a person's action on it, when it is still shown.
void PrintControl(Console& console, ControlRef ref) {
  for (const WindowView& window : OpenWindows()) {
    for (const ControlView& control : window.controls) {
      if (control.ref == ref && control.shown)
        console.Print(ControlLine(window, control));
    }
  }
}

void PrintWindows(Console& console, std::string_view arguments) {
  if (!arguments.empty()) {
    console.Print("window: takes no arguments");
    return;
  }
  const std::vector<WindowView> open = OpenWindows();
  if (open.empty()) {
    console.Print("window: no window is open");
    return;
  }
  for (const WindowView& window : open) {
    for (const std::string& line : WindowLines(window))
      console.Print(line);
  }
}

void Click(Console& console, std::string_view arguments) {
  if (arguments.empty()) {
    console.Print("click: usage: click ID");
    return;
  }
  const std::optional<FoundControl> found = ControlArgument(console, "click", arguments);
  if (!found || !Usable(console, "click", found->control))
    return;
  ClickControl(found->control.ref);
  PrintControl(console, found->control.ref);
}

void Choose(Console& console, std::string_view arguments) {
  const std::vector<std::string_view> words = Words(arguments);
  if (words.size() != 2) {
    console.Print("choose: usage: choose ID N");
    return;
  }
  const std::optional<FoundControl> found = ControlArgument(console, "choose", words[0]);
  if (!found)
    return;
  const ControlView& popup = found->control;
  if (popup.kind != kControlKindPopupButton) {
    console.Print("choose: " + ControlIDText(popup.id) + " is not a popup");
    return;
  }
  const long count = static_cast<long>(popup.popupItems.size());
  const std::optional<long> item = ParseNumber(words[1], 1, count);
  if (!item) {
    console.Print("choose: " + ControlIDText(popup.id) + " has no item " + Quoted(words[1]) +
                  " (its items are 1 to " + std::to_string(count) + ")");
    return;
  }
  if (!Usable(console, "choose", popup))
    return;
  ChoosePopupItem(popup.ref, static_cast<MenuItemIndex>(*item));
  PrintControl(console, popup.ref);
}

void Press(Console& console, std::string_view arguments) {
  const auto [idText, keyText] = SplitFirstWord(arguments);
  if (idText.empty() || keyText.empty()) {
    console.Print("press: usage: press ID KEY");
    return;
  }
  const std::optional<FoundControl> found = ControlArgument(console, "press", idText);
  if (!found)
    return;
  const ControlView& field = found->control;
  if (field.kind != kControlKindEditText) {
    console.Print("press: " + ControlIDText(field.id) + " is not a hot-key field");
    return;
  }
  const std::optional<KeyPress> key = FindKeyByName(keyText);
  if (!key) {
    console.Print("press: unknown key " + Quoted(keyText) + " (" + kKeyNamesHint + ")");
    return;
  }
  if (!Usable(console, "press", field))
    return;
  FocusControl(field.ref);
  TypeKey(key->keyCode, key->modifiers);
  PrintControl(console, field.ref);
}

// Presses the front window's default (OK) or cancel button.
void PressButton(Console& console, std::string_view command, std::string_view arguments,
                 bool ControlView::*which) {
  const std::string prefix = std::string(command) + ": ";
  if (!arguments.empty()) {
    console.Print(prefix + "takes no arguments");
    return;
  }
  const std::vector<WindowView> open = OpenWindows();
  if (open.empty()) {
    console.Print(prefix + "no window is open");
    return;
  }
  for (const ControlView& control : open.front().controls) {
    if (control.*which && control.shown) {
      if (Usable(console, command, control))
        ClickControl(control.ref);
      return;
    }
  }
  console.Print(prefix + "the window " + Quoted(open.front().title) + " has no " +
                std::string(command == "ok" ? "default" : "cancel") + " button");
}

void Close(Console& console, std::string_view arguments) {
  if (!arguments.empty()) {
    console.Print("close: takes no arguments");
    return;
  }
  const std::vector<WindowView> open = OpenWindows();
  if (open.empty()) {
    console.Print("close: no window is open");
    return;
  }
  if ((open.front().attributes & kWindowCloseBoxAttribute) == 0) {
    console.Print("close: the window " + Quoted(open.front().title) + " has no close box");
    return;
  }
  ClickCloseBox(open.front().ref);
}

}  // namespace

std::vector<Command> WindowCommands() {
  return {
      {"window", "window", "list the open windows: each control's ID, kind, text or value, state",
       PrintWindows},
      {"click", "click ID", "click a control (e.g. click OPTG:11)", Click},
      {"choose", "choose ID N", "choose item N of a popup (e.g. choose OPTG:18 4)", Choose},
      {"press", "press ID KEY", "press KEY in a hot-key field (e.g. press HOTG:2 F6)", Press},
      {"ok", "ok", "press the front window's OK button",
       [](Console& console, std::string_view arguments) {
         PressButton(console, "ok", arguments, &ControlView::isDefault);
       }},
      {"cancel", "cancel", "press the front window's Cancel button",
       [](Console& console, std::string_view arguments) {
         PressButton(console, "cancel", arguments, &ControlView::isCancel);
       }},
      {"close", "close", "click the front window's close box", Close},
  };
}

}  // namespace plat::console
