// Linked into a program, this is its front: the desktop when a display is available, the console
// otherwise. The choice is made once, when the program's event loop first runs, and holds for the
// rest of the run.
#include "platform/console/ConsoleFront.h"
#include "platform/gtk/DesktopFront.h"

namespace plat::gtk {
namespace {

class ChosenFront final : public Front {
 public:
  void Start() override {
    if (chosen_ == nullptr) {
      chosen_ = DesktopFront::OpenDisplay() ? static_cast<Front*>(&desktop_)
                                            : static_cast<Front*>(&console_);
    }
    chosen_->Start();
  }
  void Stop() override {
    if (chosen_ != nullptr)
      chosen_->Stop();
  }

 private:
  console::ConsoleFront console_;
  DesktopFront desktop_;
  Front* chosen_ = nullptr;
};

ChosenFront theFront;
[[maybe_unused]] const bool installed = (InstallFront(&theFront), true);

}  // namespace
}  // namespace plat::gtk
