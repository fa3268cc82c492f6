#include "platform/gtk/DesktopWindows.h"

#include <algorithm>
#include <set>

#include "platform/Controls.h"
#include "platform/RunLoop.h"
#include "platform/gtk/GLibLoop.h"

namespace plat::gtk {
namespace {

// The windows are laid out for controls 20 to 24 pixels high, rows 28 pixels apart: entries,
// popups and buttons give up the themes' extra height so that neighbours do not overlap.
constexpr const char* kCompactControls =
    "window.tallowmere entry, window.tallowmere button, window.tallowmere combobox button {"
    "  min-height: 20px; padding-top: 0; padding-bottom: 0; }"
    // Nothing is typed into a hot-key field: no text cursor.
    "window.tallowmere entry { caret-color: transparent; }";

void UseCompactControls() {
  static bool installed = false;
  GdkScreen* screen = gdk_screen_get_default();
  if (installed || screen == nullptr)
    return;
  installed = true;
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, kCompactControls, -1, nullptr);
  gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(provider);
}

// The group box holding the hot-key fields (the window's edit-text fields), if there is one.
const ControlView* HotKeyGroup(const WindowView& view) {
  for (const ControlView& field : view.controls) {
    if (field.kind != kControlKindEditText)
      continue;
    for (const ControlView& group : view.controls) {
      if (group.ref == field.parent && group.kind == kControlKindGroupBox)
        return &group;
    }
  }
  return nullptr;
}

// Inset of the note from the group's frame, and how far it reaches up into the group's own
// margin below its last row.
constexpr int kNoteInset = 16;
constexpr int kNoteRise = 12;

}  // namespace

DesktopWindow::DesktopWindow(WindowRef ref)
    : ref_(ref), window_(gtk_window_new(GTK_WINDOW_TOPLEVEL)), layout_(gtk_fixed_new()) {
  g_object_ref_sink(window_);
  UseCompactControls();
  gtk_style_context_add_class(gtk_widget_get_style_context(window_), "tallowmere");
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
  gtk_container_add(GTK_CONTAINER(window_), layout_);
  gtk_widget_show(layout_);
  g_signal_connect(window_, "delete-event", G_CALLBACK(&DesktopWindow::DeleteEvent), this);
  // After the focused widget has had the key (a hot-key field takes every key).
  g_signal_connect_after(window_, "key-press-event", G_CALLBACK(&DesktopWindow::KeyPressed), this);
}

DesktopWindow::~DesktopWindow() {
  g_signal_handlers_disconnect_by_data(window_, this);
  controls_.clear();
  gtk_widget_destroy(window_);
  g_object_unref(window_);
}

int DesktopWindow::PlaceNote(const ControlView* group, const std::string& text) {
  if (group == nullptr || text.empty()) {
    if (note_ != nullptr)
      gtk_widget_hide(note_);
    return 0;
  }
  const int width = group->bounds.right - group->bounds.left - 2 * kNoteInset;
  if (note_ == nullptr) {
    note_ = gtk_label_new(nullptr);
    gtk_label_set_line_wrap(GTK_LABEL(note_), TRUE);
    // Its width is the group's: a wrapped label would ask for its whole text on one line.
    gtk_label_set_max_width_chars(GTK_LABEL(note_), 1);
    gtk_label_set_xalign(GTK_LABEL(note_), 0);
    gtk_style_context_add_class(gtk_widget_get_style_context(note_), "dim-label");
    gtk_fixed_put(GTK_FIXED(layout_), note_, 0, 0);
  }
  if (text != gtk_label_get_text(GTK_LABEL(note_)))
    gtk_label_set_text(GTK_LABEL(note_), text.c_str());
  gtk_widget_set_size_request(note_, width, -1);
  gtk_fixed_move(GTK_FIXED(layout_), note_, group->bounds.left + kNoteInset,
                 group->bounds.bottom - kNoteRise);
  gtk_widget_show(note_);
  int height = 0;
  gtk_widget_get_preferred_height_for_width(note_, width, &height, nullptr);
  return height;
}

void DesktopWindow::Update(const WindowView& view, const std::function<void()>& acted,
                           const std::string& hotKeyNote) {
  GtkWindow* window = GTK_WINDOW(window_);
  const char* title = gtk_window_get_title(window);
  if (title == nullptr || view.title != title)
    gtk_window_set_title(window, view.title.c_str());
  gtk_window_set_deletable(window, (view.attributes & kWindowCloseBoxAttribute) != 0);
  // The note lengthens the hot-key group; what lies below it moves down as far.
  const ControlView* group = HotKeyGroup(view);
  const int noteHeight = PlaceNote(group, hotKeyNote);
  const auto top = [&](const ControlView& control) {
    const bool below = group != nullptr && control.bounds.top >= group->bounds.bottom;
    return control.bounds.top + (below ? noteHeight : 0);
  };
  gtk_widget_set_size_request(layout_, view.content.right - view.content.left,
                              view.content.bottom - view.content.top + noteHeight);

  std::set<ControlRef> present;
  for (const ControlView& control : view.controls) {
    if (!control.parent)
      continue;  // the root view: the window's content itself
    present.insert(control.ref);
    auto known = controls_.find(control.ref);
    if (known == controls_.end()) {
      std::unique_ptr<ControlWidget> widget = ControlWidget::Create(control, acted);
      if (!widget)
        continue;
      // In model order: a group box goes in before the controls drawn over it.
      gtk_fixed_put(GTK_FIXED(layout_), widget->Widget(), control.bounds.left, top(control));
      known = controls_.emplace(control.ref, std::move(widget)).first;
    } else {
      gtk_fixed_move(GTK_FIXED(layout_), known->second->Widget(), control.bounds.left,
                     top(control));
    }
    known->second->Update(control);
    if (group != nullptr && control.ref == group->ref && noteHeight > 0) {
      gtk_widget_set_size_request(known->second->Widget(), group->bounds.right - group->bounds.left,
                                  group->bounds.bottom - group->bounds.top + noteHeight);
    }
    if (control.isDefault)
      gtk_window_set_default(window, known->second->Widget());
  }
  std::erase_if(controls_, [&](const auto& entry) { return !present.contains(entry.first); });

  if (view.visible && !wasVisible_) {
    gtk_window_present(window);
  } else if (!view.visible && wasVisible_) {
    gtk_widget_hide(window_);
  } else if (view.visible && view.active && !wasActive_) {
    gtk_window_present(window);
  }
  wasVisible_ = view.visible;
  wasActive_ = view.active;
}

gboolean DesktopWindow::DeleteEvent(GtkWidget*, GdkEvent*, gpointer self) {
  // The program decides: its close handler hides the window (or not).
  ClickCloseBox(static_cast<DesktopWindow*>(self)->ref_);
  return TRUE;
}

gboolean DesktopWindow::KeyPressed(GtkWidget*, GdkEventKey* event, gpointer self) {
  auto* window = static_cast<DesktopWindow*>(self);
  if (event->keyval == GDK_KEY_Escape) {
    window->PressButton(&ControlView::isCancel);
    return TRUE;
  }
  return FALSE;
}

void DesktopWindow::PressButton(bool ControlView::*which) {
  const std::optional<WindowView> view = DescribeWindow(ref_);
  if (!view)
    return;
  for (const ControlView& control : view->controls) {
    if (control.*which && control.usable) {
      ClickControl(control.ref);
      return;
    }
  }
}

DesktopWindows::DesktopWindows() {
  observer_ = AddModelObserver([this](const ModelChange& change) {
    if (change.what == ModelChange::kWindow || change.what == ModelChange::kControl)
      UpdateSoon();
  });
  UpdateAll();
}

DesktopWindows::~DesktopWindows() {
  *alive_ = false;
  RemoveModelObserver(observer_);
  windows_.clear();
}

GtkWidget* DesktopWindows::WindowFor(WindowRef ref) const {
  const auto known = windows_.find(ref);
  return known == windows_.end() ? nullptr : known->second->Widget();
}

void DesktopWindows::SetHotKeyNote(const std::string& note) {
  if (note == hotKeyNote_)
    return;
  hotKeyNote_ = note;
  UpdateSoon();
}

void DesktopWindows::UpdateSoon() {
  if (updateScheduled_)
    return;
  updateScheduled_ = true;
  RunLoop::Main().Post([this, alive = alive_] {
    if (!*alive)
      return;
    updateScheduled_ = false;
    UpdateAll();
  });
}

void DesktopWindows::UpdateAll() {
  const std::function<void()> acted = [this] { UpdateSoon(); };
  std::set<WindowRef> present;
  for (const WindowView& view : Windows()) {
    present.insert(view.ref);
    auto known = windows_.find(view.ref);
    if (known == windows_.end()) {
      // A window's widgets are made when it is first shown: the program makes its windows as it
      // starts and shows them later, if ever, and GTK's widgets, styles and fonts for a window
      // nobody has opened would cost the start-up time and memory of the whole toolkit.
      if (!view.visible)
        continue;
      known = windows_.emplace(view.ref, std::make_unique<DesktopWindow>(view.ref)).first;
    }
    known->second->Update(view, acted, hotKeyNote_);
  }
  std::erase_if(windows_, [&](const auto& entry) { return !present.contains(entry.first); });
  if (GLibLoop* loop = GLibLoop::Current())
    loop->Schedule();
}

}  // namespace plat::gtk
