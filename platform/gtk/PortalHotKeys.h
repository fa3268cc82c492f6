// The program's global hot keys as the desktop's global shortcuts, through the GlobalShortcuts
// portal (org.freedesktop.portal.GlobalShortcuts) over GDBus, on the GLib main context the
// desktop front runs.
//
// Each registered hot key becomes a shortcut "pcN" (N the number of its EventHotKeyID), "Switch
// to PC N" in the user's language, with Control + Alt + its key as the preferred trigger. The
// desktop has the last word on the trigger: the keys it actually holds are reported after each
// binding and each change it makes. An activation presses the hot key, so the program gets the
// same event as from an X grab. When the registrations change (new keys stored in Preferences),
// the shortcuts are bound again in a new session, binding being allowed once per session; where
// the portal offers version 2, the desktop is then asked to show its own shortcut settings.
//
// KDE's portal (Plasma 5.27) binds only the shortcuts given to CreateSession and answers
// BindShortcuts by opening its settings: the shortcuts go with CreateSession, and BindShortcuts
// is called only when the new session comes back without them.
#pragma once

#include <gio/gio.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/HotKeys.h"

namespace plat::gtk {

class PortalRequest;

// A shortcut as the desktop holds it: the port and the desktop's own name for its keys ("" when
// the desktop gave it none).
struct BoundShortcut {
  UInt32 port;
  std::string trigger;
};

// "PC 1 Ctrl+Alt+1, PC 2 none": the shortcuts in port order, as a person reads them.
std::string DescribeShortcuts(const std::vector<BoundShortcut>& shortcuts);

// The portal's trigger for a hot key ("CTRL+ALT+F6"); "" for a key the key table lacks.
std::string PortalTrigger(UInt32 macKeyCode, UInt32 macModifiers);

// Asks, without waiting, which version of GlobalShortcuts the desktop's portal offers; `answer`
// gets 0 when it offers none (no portal, or no back end with global shortcuts). Not called once
// `cancellable` is cancelled.
void AskGlobalShortcutsVersion(GDBusConnection* bus, GCancellable* cancellable,
                               std::function<void(guint32 version)> answer);

class PortalHotKeys {
 public:
  using BoundObserver = std::function<void(const std::vector<BoundShortcut>&)>;

  // Binds the registered hot keys at once; `bound` hears of the keys the desktop holds.
  PortalHotKeys(GDBusConnection* bus, guint32 version, BoundObserver bound);
  ~PortalHotKeys();
  PortalHotKeys(const PortalHotKeys&) = delete;
  PortalHotKeys& operator=(const PortalHotKeys&) = delete;

 private:
  struct Wanted {
    UInt32 port;
    std::string trigger;
    bool operator==(const Wanted&) const = default;
  };

  static std::vector<Wanted> WantedShortcuts();
  // wanted_ as the portal's a(sa{sv}), a floating reference.
  GVariant* ShortcutList() const;
  void RegistrationsChanged();
  void Bind();
  void SessionCreated(int response, GVariant* results);
  void ShortcutsBound(int response, GVariant* results);
  void TakeShortcuts(GVariant* shortcuts);
  void CloseSession();
  void Failed(const char* step, int response);
  static void Signalled(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                        const gchar* signal, GVariant* parameters, gpointer self);

  GDBusConnection* bus_;
  guint32 version_;
  BoundObserver bound_;
  std::vector<Wanted> wanted_;  // what the session being made (or the last one) binds
  std::string session_;
  std::unique_ptr<PortalRequest> request_;
  bool rebindWanted_ = false;
  bool boundOnce_ = false;
  guint subscription_ = 0;
  HotKeyObserverId observer_ = 0;
  GCancellable* cancellable_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace plat::gtk
