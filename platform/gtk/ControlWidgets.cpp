#include "platform/gtk/ControlWidgets.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/KeyCodes.h"
#include "platform/gtk/KeyTable.h"

namespace plat::gtk {
namespace {

void SetLabel(GtkButton* button, const std::string& title) {
  const char* shown = gtk_button_get_label(button);
  if (shown == nullptr || title != shown)
    gtk_button_set_label(button, title.c_str());
}

int Width(const Rect& bounds) {
  return bounds.right - bounds.left;
}
int Height(const Rect& bounds) {
  return bounds.bottom - bounds.top;
}

// A group box: a frame with its title; the controls it holds are placed over it by the window.
class GroupBox final : public ControlWidget {
 public:
  GroupBox(const ControlView& view, std::function<void()> acted)
      : ControlWidget(view.ref, gtk_frame_new(nullptr), std::move(acted)) {}

 private:
  void UpdateKind(const ControlView& view) override {
    GtkFrame* frame = GTK_FRAME(Widget());
    const char* shown = gtk_frame_get_label(frame);
    if (shown == nullptr || view.title != shown)
      gtk_frame_set_label(frame, view.title.empty() ? nullptr : view.title.c_str());
  }
};

class CheckBox final : public ControlWidget {
 public:
  CheckBox(const ControlView& view, std::function<void()> acted)
      : ControlWidget(view.ref, gtk_check_button_new_with_label(""), std::move(acted)) {
    g_signal_connect(Widget(), "toggled", G_CALLBACK(&CheckBox::Toggled), this);
  }

 private:
  void UpdateKind(const ControlView& view) override {
    SetLabel(GTK_BUTTON(Widget()), view.title);
    GtkToggleButton* toggle = GTK_TOGGLE_BUTTON(Widget());
    gtk_toggle_button_set_inconsistent(toggle, view.value > 1);
    gtk_toggle_button_set_active(toggle, view.value == 1);
  }

  // GTK flips the box as it is clicked; the program's own flip (or refusal) is shown after.
  static void Toggled(GtkToggleButton*, gpointer self) {
    auto* box = static_cast<CheckBox*>(self);
    if (box->Updating())
      return;
    ClickControl(box->Ref());
    box->Acted();
  }
};

class PushButton final : public ControlWidget {
 public:
  PushButton(const ControlView& view, std::function<void()> acted)
      : ControlWidget(view.ref, gtk_button_new_with_label(""), std::move(acted)) {
    gtk_widget_set_can_default(Widget(), TRUE);
    g_signal_connect(Widget(), "clicked", G_CALLBACK(&PushButton::Clicked), this);
  }

 private:
  void UpdateKind(const ControlView& view) override { SetLabel(GTK_BUTTON(Widget()), view.title); }

  static void Clicked(GtkButton*, gpointer self) {
    auto* button = static_cast<PushButton*>(self);
    if (button->Updating())
      return;
    ClickControl(button->Ref());
    button->Acted();
  }
};

// A popup button: its title (when it has one) as a caption on the left, the menu on the right.
constexpr int kCaptionedMenuWidth = 130;

class PopupButton final : public ControlWidget {
 public:
  PopupButton(const ControlView& view, std::function<void()> acted)
      : ControlWidget(view.ref, gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8), std::move(acted)),
        caption_(gtk_label_new(nullptr)),
        combo_(gtk_combo_box_text_new()) {
    gtk_label_set_xalign(GTK_LABEL(caption_), 0.0F);
    gtk_box_pack_start(GTK_BOX(Widget()), caption_, TRUE, TRUE, 0);
    gtk_box_pack_end(GTK_BOX(Widget()), combo_, FALSE, FALSE, 0);
    gtk_widget_show(combo_);
    g_signal_connect(combo_, "changed", G_CALLBACK(&PopupButton::Changed), this);
  }
  ~PopupButton() override { g_signal_handlers_disconnect_by_data(combo_, this); }
  PopupButton(const PopupButton&) = delete;
  PopupButton& operator=(const PopupButton&) = delete;

 private:
  void UpdateKind(const ControlView& view) override {
    gtk_label_set_text(GTK_LABEL(caption_), view.title.c_str());
    gtk_widget_set_visible(caption_, !view.title.empty());
    // Without a caption the menu takes the popup's whole width; with one, the menu keeps a
    // steady width on the right, so that the window's popups line up.
    gtk_box_set_child_packing(GTK_BOX(Widget()), combo_, view.title.empty(), view.title.empty(), 0,
                              GTK_PACK_END);
    gtk_widget_set_size_request(combo_, view.title.empty() ? -1 : kCaptionedMenuWidth, -1);
    if (view.popupItems != items_) {
      items_ = view.popupItems;
      gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(combo_));
      for (const std::string& item : items_)
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(combo_), item.c_str());
    }
    // Value 0 (or one past the items) chooses nothing.
    const bool chosen = view.value >= 1 && view.value <= static_cast<SInt32>(items_.size());
    gtk_combo_box_set_active(GTK_COMBO_BOX(combo_), chosen ? view.value - 1 : -1);
  }

  static void Changed(GtkComboBox* combo, gpointer self) {
    auto* popup = static_cast<PopupButton*>(self);
    const gint active = gtk_combo_box_get_active(combo);
    if (popup->Updating() || active < 0)
      return;
    ChoosePopupItem(popup->Ref(), static_cast<MenuItemIndex>(active + 1));
    popup->Acted();
  }

  GtkWidget* caption_;
  GtkWidget* combo_;
  std::vector<std::string> items_;
};

// An edit field that captures keys: a key pressed while it has the focus goes to the program as
// a raw key-down with the Mac key code and the character the key types; the field shows what
// the program then sets as its text.
class HotKeyField final : public ControlWidget {
 public:
  HotKeyField(const ControlView& view, std::function<void()> acted)
      : ControlWidget(view.ref, gtk_entry_new(), std::move(acted)) {
    gtk_editable_set_editable(GTK_EDITABLE(Widget()), FALSE);
    gtk_widget_set_can_focus(Widget(), TRUE);
    g_signal_connect(Widget(), "key-press-event", G_CALLBACK(&HotKeyField::KeyPressed), this);
    g_signal_connect(Widget(), "focus-in-event", G_CALLBACK(&HotKeyField::FocusIn), this);
  }

 private:
  void UpdateKind(const ControlView& view) override {
    GtkEntry* entry = GTK_ENTRY(Widget());
    if (view.text != gtk_entry_get_text(entry))
      gtk_entry_set_text(entry, view.text.c_str());
    if (view.focused && view.usable && !gtk_widget_has_focus(Widget()))
      gtk_widget_grab_focus(Widget());
  }

  static gboolean KeyPressed(GtkWidget* widget, GdkEventKey* event, gpointer self) {
    auto* field = static_cast<HotKeyField*>(self);
    GdkKeymap* keymap = gdk_keymap_get_for_display(gtk_widget_get_display(widget));
    const std::optional<UInt16> key = MacKeyForXKeyCode(keymap, event->hardware_keycode);
    if (!key)
      return FALSE;  // a modifier, or a key the program has no name for
    const UInt32 modifiers = MacModifiers(event->state);
    FocusControl(field->Ref());
    PressKey(*key, KeyCharacter(*key, modifiers), modifiers);
    field->Acted();
    return TRUE;
  }

  static gboolean FocusIn(GtkWidget*, GdkEventFocus*, gpointer self) {
    auto* field = static_cast<HotKeyField*>(self);
    if (!field->Updating())
      FocusControl(field->Ref());
    return FALSE;
  }
};

class Caption final : public ControlWidget {
 public:
  Caption(const ControlView& view, std::function<void()> acted)
      : ControlWidget(view.ref, gtk_label_new(nullptr), std::move(acted)) {
    gtk_label_set_xalign(GTK_LABEL(Widget()), 0.0F);
  }

 private:
  void UpdateKind(const ControlView& view) override {
    gtk_label_set_text(GTK_LABEL(Widget()),
                       view.text.empty() ? view.title.c_str() : view.text.c_str());
  }
};

}  // namespace

std::unique_ptr<ControlWidget> ControlWidget::Create(const ControlView& view,
                                                     std::function<void()> acted) {
  switch (view.kind) {
    case kControlKindGroupBox:
      return std::make_unique<GroupBox>(view, std::move(acted));
    case kControlKindCheckBox:
      return std::make_unique<CheckBox>(view, std::move(acted));
    case kControlKindPushButton:
      return std::make_unique<PushButton>(view, std::move(acted));
    case kControlKindPopupButton:
      return std::make_unique<PopupButton>(view, std::move(acted));
    case kControlKindEditText:
      return std::make_unique<HotKeyField>(view, std::move(acted));
    case kControlKindStaticText:
      return std::make_unique<Caption>(view, std::move(acted));
    default:
      return nullptr;
  }
}

ControlWidget::ControlWidget(ControlRef ref, GtkWidget* widget, std::function<void()> acted)
    : ref_(ref), widget_(widget), acted_(std::move(acted)) {
  // Kept alive by us, not only by the window that shows it.
  g_object_ref_sink(widget_);
}

ControlWidget::~ControlWidget() {
  g_signal_handlers_disconnect_by_data(widget_, this);
  gtk_widget_destroy(widget_);
  g_object_unref(widget_);
}

void ControlWidget::Acted() const {
  if (acted_)
    acted_();
}

void ControlWidget::Update(const ControlView& view) {
  updating_ = true;
  gtk_widget_set_size_request(widget_, std::max(Width(view.bounds), 1),
                              std::max(Height(view.bounds), 1));
  UpdateKind(view);
  gtk_widget_set_sensitive(widget_, view.usable);
  gtk_widget_set_visible(widget_, view.shown);
  updating_ = false;
}

}  // namespace plat::gtk
