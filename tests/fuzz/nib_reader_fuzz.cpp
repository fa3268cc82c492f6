// Reads any text as a nib; what it accepts is built, shown, clicked through and disposed of.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/FrontModel.h"
#include "platform/model/toolbox/NibReader.h"
#include "platform/sim/VirtualClock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  plat::TheVirtualClock().Reset();  // every input starts at the same time
  std::string error;
  const auto document =
      plat::nib::ReadNib(std::string_view(reinterpret_cast<const char*>(data), size), error);
  if (!document)
    return 0;
  for (const auto& [name, description] : document->windows) {
    WindowRef window = nullptr;
    if (plat::nib::BuildWindow(description, &window) != noErr)
      continue;
    ShowWindow(window);
    AdvanceKeyboardFocus(window);
    const auto view = plat::DescribeWindow(window);
    for (const plat::ControlView& control : view->controls) {
      plat::ClickControl(control.ref);
      plat::ChoosePopupItem(control.ref, 1);
    }
    plat::PressKey(0, 'a');
    DisposeWindow(window);
  }
  for (const auto& [name, description] : document->menus) {
    MenuRef menu = nullptr;
    if (plat::nib::BuildMenu(description, &menu) == noErr)
      ReleaseMenu(menu);
  }
  for (const auto& [name, menus] : document->menuBars) {
    MenuRef root = nullptr;
    if (plat::nib::BuildMenuBar(menus, &root) == noErr)
      ReleaseMenu(root);
  }
  // Everything built was given back.
  if (plat::LiveWindows() != 0 || plat::LiveMenus() != 0 || plat::LiveEvents() != 0) {
    std::abort();
  }
  return 0;
}
