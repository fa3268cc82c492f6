#include "app/DockMenu.h"

#include "app/CarbonApp.h"
#include "platform/CFBundle.h"
#include "platform/Menus.h"
#include "platform/Nibs.h"
#include "switch/KVMOperations.h"
#include "switch/KVMSwitch.h"

namespace {

// The items of ports 1 to 4 are items 3 to 6 of the menu.
constexpr MenuItemIndex kFirstPortItem = 3;
constexpr int kPortItems = 4;
constexpr MenuCommand kAutoScanCommand = FourCC("Auto");
constexpr MenuItemAttributes kHiddenAndDisabled = kMenuItemAttrHidden | kMenuItemAttrDisabled;

}  // namespace

int SetOurDockMenu() {
  // The nib stays open for the life of the process (a later call, made only by tests that start
  // the program again, gives back the one opened before).
  static IBNibRef nib = nullptr;
  if (nib != nullptr)
    DisposeNibReference(nib);
  nib = nullptr;
  if (CreateNibReference(CFSTR("USBMENUDOCK"), &nib) != noErr)
    return 0;
  MenuRef menu = nullptr;
  if (CreateMenuFromNib(nib, CFSTR("DockMenu"), &menu) != noErr)
    return 0;
  const OSStatus status = SetApplicationDockTileMenu(menu);
  // The Dock tile holds the menu from now on.
  ReleaseMenu(menu);
  return status == noErr ? 1 : 0;
}

bool CarbonApp::UpdateDockMenu(MenuRef& menu) {
  if (menu != GetApplicationDockTileMenu())
    return true;

  MPEnterCriticalRegion(KVMSwitch.criticalRegion, kDurationForever);
  KVMGetInformation(&KVMSwitch.info);
  MPExitCriticalRegion(KVMSwitch.criticalRegion);

  // The other ports that the switch offers; the active one carries the check mark, hidden.
  const _KVM_INFO& info = KVMSwitch.info;
  for (int port = 0; port < kPortItems; ++port) {
    const auto item = static_cast<MenuItemIndex>(kFirstPortItem + port);
    if (port >= info.portCount) {
      SetItemMark(menu, item, noMark);
      ChangeMenuItemAttributes(menu, item, kHiddenAndDisabled, 0);
    } else if (port == info.currentPort) {
      SetItemMark(menu, item, checkMark);
      ChangeMenuItemAttributes(menu, item, kHiddenAndDisabled, 0);
    } else if ((info.availablePorts & (1 << port)) != 0) {
      SetItemMark(menu, item, noMark);
      ChangeMenuItemAttributes(menu, item, 0, kHiddenAndDisabled);
    } else {
      SetItemMark(menu, item, noMark);
      ChangeMenuItemAttributes(menu, item, kHiddenAndDisabled, 0);
    }
  }

  // A menu without an auto-scan item has nothing more to update.
  MenuRef autoScanMenu = nullptr;
  MenuItemIndex autoScanItem = 0;
  if (GetIndMenuItemWithCommandID(menu, kAutoScanCommand, 1, &autoScanMenu, &autoScanItem) !=
      noErr) {
    return true;
  }
  ChangeMenuItemAttributes(autoScanMenu, autoScanItem, 0, kHiddenAndDisabled);
  const CFStringRef key = info.autoScanOn ? CFSTR("Stop Auto-Scan") : CFSTR("Start Auto-Scan");
  const CFStringRef text = CFBundleCopyLocalizedString(CFBundleGetMainBundle(), key, key, nullptr);
  if (text != nullptr) {
    SetMenuItemTextWithCFString(autoScanMenu, autoScanItem, text);
    CFRelease(text);
  }
  return true;
}
