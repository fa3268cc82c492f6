// One control of a window as a GTK widget: kept in step with the control's view in the model,
// and turning what a person does with the widget into the platform's events (a click, a popup
// choice, a key pressed in a hot-key field, the keyboard focus).
//
// Group boxes, checkboxes, push buttons, popup buttons (with their title as a caption), edit
// fields (hot-key fields: a key pressed there is a raw key-down, nothing is typed in) and static
// captions. The window places the widgets at the controls' bounds.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>

#include "platform/FrontModel.h"

namespace plat::gtk {

class ControlWidget {
 public:
  // A widget for `view`'s kind; null for kinds that show nothing of their own (user panes).
  // `acted` runs after each action a person took on it, so that the window can bring every
  // widget in step with what the program made of it.
  static std::unique_ptr<ControlWidget> Create(const ControlView& view,
                                               std::function<void()> acted);
  virtual ~ControlWidget();
  ControlWidget(const ControlWidget&) = delete;
  ControlWidget& operator=(const ControlWidget&) = delete;

  GtkWidget* Widget() const { return widget_; }
  ControlRef Ref() const { return ref_; }
  // Shows what the model holds now: shown or hidden, sensitive when a person can use it (it,
  // its group and its window enabled and active), and the kind's own state.
  void Update(const ControlView& view);

 protected:
  ControlWidget(ControlRef ref, GtkWidget* widget, std::function<void()> acted);
  virtual void UpdateKind(const ControlView& view) = 0;
  // Whether a change of the widget comes from the model (Update), not from a person.
  bool Updating() const { return updating_; }
  void Acted() const;

 private:
  ControlRef ref_;
  GtkWidget* widget_;
  std::function<void()> acted_;
  bool updating_ = false;
};

}  // namespace plat::gtk
