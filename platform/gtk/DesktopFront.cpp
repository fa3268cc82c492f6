#include "platform/gtk/DesktopFront.h"

#include <gtk/gtk.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/CarbonEvents.h"
#include "platform/console/Console.h"
#include "platform/console/InputReader.h"
#include "platform/gtk/DesktopWindows.h"
#include "platform/gtk/DisplayNamed.h"
#include "platform/gtk/GLibLoop.h"
#include "platform/gtk/HotKeyPath.h"
#include "platform/gtk/SessionWatch.h"
#include "platform/gtk/SingleInstance.h"
#include "platform/gtk/Tray.h"

namespace plat::gtk {
namespace {

DesktopFront* running = nullptr;

// Standard input that carries commands: a pipe or a file (not a terminal, not /dev/null).
bool InputIsCommands() {
  struct stat input {};
  if (fstat(STDIN_FILENO, &input) != 0)
    return false;
  return S_ISFIFO(input.st_mode) || S_ISREG(input.st_mode);
}

// The main screen, on which the program centres its windows.
void TakeScreenBounds() {
  GdkDisplay* display = gdk_display_get_default();
  GdkMonitor* monitor = display == nullptr ? nullptr : gdk_display_get_primary_monitor(display);
  if (monitor == nullptr && display != nullptr)
    monitor = gdk_display_get_monitor(display, 0);
  if (monitor == nullptr)
    return;
  GdkRectangle area{};
  gdk_monitor_get_workarea(monitor, &area);
  SetMainScreenBounds(Rect{static_cast<SInt16>(area.y), static_cast<SInt16>(area.x),
                           static_cast<SInt16>(area.y + area.height),
                           static_cast<SInt16>(area.x + area.width)});
}

}  // namespace

DesktopFront::DesktopFront() = default;
DesktopFront::~DesktopFront() = default;

DesktopFront* DesktopFront::Running() {
  return running;
}

bool DesktopFront::OpenDisplay() {
  if (!DisplayNamed())
    return false;
  // X11 where an X server is there (XWayland too): the XEmbed tray and the X grabs need it, and
  // windows keep the places the program gives them. Wayland's own backend without one.
  const char* x11 = std::getenv("DISPLAY");
  gdk_set_allowed_backends(x11 != nullptr && *x11 != '\0' ? "x11,*" : "wayland,*");
  // Nothing here draws with OpenGL, but GDK sets it up as it opens an X display, and where the
  // driver is Mesa's software renderer that loads LLVM: some 50 MB more resident memory and a
  // slower start for a window of checkboxes. A person who wants it still can say GDK_GL.
  g_setenv("GDK_GL", "disable", FALSE);
  return gtk_init_check(nullptr, nullptr) != FALSE;
}

void DesktopFront::Start() {
  loop_ = std::make_unique<GLibLoop>();
  instance_ = std::make_unique<SingleInstance>();
  const std::string busName = SingleInstance::BusName(program_invocation_short_name);
  if (!instance_->Claim(busName, SingleInstance::ObjectPath(busName))) {
    // The running instance shows itself; this one ends.
    QuitApplicationEventLoop();
    return;
  }
  running = this;
  TakeScreenBounds();
  if (InputIsCommands())
    ReadCommandsFromInput();
  console::RunProgramStarts();
  follower_ = std::make_unique<console::WallClockFollower>();
  windows_ = std::make_unique<DesktopWindows>();
  GdkDisplay* display = gdk_display_get_default();
  tray_ = std::make_unique<gtk::Tray>(display);
  hotKeys_ = std::make_unique<HotKeyPath>(
      display, [this](const std::string& note) { windows_->SetHotKeyNote(note); });
  session_ = std::make_unique<SessionWatch>();
}

void DesktopFront::ReadCommandsFromInput() {
  console_ = std::make_unique<console::Console>(console::StandardOutput());
  reader_ = std::make_unique<console::InputReader>(STDIN_FILENO, *console_,
                                                   console::InputReader::AtEnd::kStopReading);
  reader_->Start();
}

void DesktopFront::Stop() {
  if (running == this)
    running = nullptr;
  session_.reset();
  hotKeys_.reset();
  tray_.reset();
  windows_.reset();
  follower_.reset();
  reader_.reset();
  console_.reset();
  instance_.reset();
  // What GTK has still to do (windows going away, ungrabs) reaches the display.
  if (GdkDisplay* display = gdk_display_get_default())
    gdk_display_flush(display);
  loop_.reset();
  std::fflush(stdout);
}

}  // namespace plat::gtk
