// The program's windows as GTK windows: each built from its view in the model (title, size,
// close box, one widget per control at the control's bounds) and kept in step with the model at
// every change; the close box and the Escape key are what they are on the Mac (the close box,
// the Cancel button), Return presses the default button.
#pragma once

#include <gtk/gtk.h>

#include <map>
#include <memory>
#include <string>

#include "platform/FrontModel.h"
#include "platform/gtk/ControlWidgets.h"

namespace plat::gtk {

class DesktopWindow {
 public:
  explicit DesktopWindow(WindowRef ref);
  ~DesktopWindow();
  DesktopWindow(const DesktopWindow&) = delete;
  DesktopWindow& operator=(const DesktopWindow&) = delete;

  // Shows what the model holds for the window now, with `acted` run after a person's action,
  // and `hotKeyNote` (when not empty) at the foot of its hot-key group, if it has one.
  void Update(const WindowView& view, const std::function<void()>& acted,
              const std::string& hotKeyNote);
  GtkWidget* Widget() const { return window_; }

 private:
  static gboolean DeleteEvent(GtkWidget*, GdkEvent*, gpointer self);
  static gboolean KeyPressed(GtkWidget*, GdkEventKey* event, gpointer self);
  void PressButton(bool ControlView::*which);

  // The note's height below the group `group` (0 without a note), the note shown there.
  int PlaceNote(const ControlView* group, const std::string& text);

  WindowRef ref_;
  GtkWidget* window_;
  GtkWidget* layout_;
  GtkWidget* note_ = nullptr;
  std::map<ControlRef, std::unique_ptr<ControlWidget>> controls_;
  bool wasVisible_ = false;
  bool wasActive_ = false;
};

// Every window of the model, followed through the model's observer.
class DesktopWindows {
 public:
  DesktopWindows();
  ~DesktopWindows();
  DesktopWindows(const DesktopWindows&) = delete;
  DesktopWindows& operator=(const DesktopWindows&) = delete;

  // The GTK window that shows `ref`, if there is one (screenshots, tests).
  GtkWidget* WindowFor(WindowRef ref) const;

  // A line about the hot keys that the desktop, not the program, decides (which keys the
  // desktop holds, or that it offers none), shown in the hot-key group of the Preferences
  // window; "" for none.
  void SetHotKeyNote(const std::string& note);

 private:
  // Changes come in bursts (a window being filled in): they are shown together, once the
  // program's current work is done.
  void UpdateSoon();
  void UpdateAll();

  std::map<WindowRef, std::unique_ptr<DesktopWindow>> windows_;
  ObserverId observer_ = 0;
  std::string hotKeyNote_;
  bool updateScheduled_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace plat::gtk
