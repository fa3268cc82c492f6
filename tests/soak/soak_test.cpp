// A seeded random soak of the whole program over the simulated platform: a person and the
// hardware act at random (hot keys, Dock menu, Preferences, auto-scan, front-panel buttons, plugs
// and unplugs of both generations, failing reads and writes, session switches) while virtual
// time passes, and a model of what the program must show is checked after every step.
//
// TALLOWMERE_SOAK_SEED picks the seed (replays a failure) and TALLOWMERE_SOAK_HOURS the virtual
// duration (1 by default; 24 for the full day).
#include <array>
#include <cstdlib>
#include <deque>
#include <random>
#include <sstream>
#include <string>

#include "hid/DeviceRecord.h"
#include "platform/CGImage.h"
#include "platform/DockTile.h"
#include "platform/EventLoopTimers.h"
#include "platform/IOCFPlugIn.h"
#include "platform/Processes.h"
#include "platform/model/iokit/IORegistry.h"
#include "tests/app/ApplicationFixture.h"

namespace {

using plat::sim::Exchange;
using plat::sim::SimulatedSwitch;

long EnvironmentNumber(const char* name, long fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != '\0' ? std::strtol(text, nullptr, 10) : fallback;
}

// IO objects, plug-in interfaces, CF objects, images.
std::array<long, 4> LiveCounts() {
  return {plat::LiveIOObjects(), plat::LivePlugInInterfaces(), plat::LiveCFObjects(),
          plat::LiveImages()};
}

std::string PortIcon(int port) {
  return "velbrook" + std::to_string(port + 1) + ".icns";
}

// What the program must show, kept from what the person and the hardware did.
struct Expected {
  std::shared_ptr<SimulatedSwitch> plugged;
  bool sessionActive = true;
  int deviceState = 0;
  bool timer = false;
  bool removalNotice = false;  // the plugged switch was opened, so its unplugging is noticed
  int icon = -1;               // port index shown, -1 for the plain icon
};

class Soak {
 public:
  Soak(ApplicationTest& test, unsigned long seed) : test_(test), seed_(seed), random_(seed) {}

  // Runs until `hours` of virtual time have passed or an invariant fails; false on failure.
  bool Run(double hours) {
    baseTimers_ = plat::LiveEventLoopTimers();
    baseObjects_ = plat::LiveIOObjects();
    baseNotices_ = plat::IORegistry::Shared().InterestNotificationCount();
    const auto atStart = LiveCounts();
    const plat::Nanos end = plat::Now() + plat::SecondsToNanos(hours * 3600);
    while (plat::Now() < end) {
      ++steps_;
      TakeRandomStep();
      if (!Holds())
        return false;
    }
    if (expected_.plugged != nullptr)
      Unplug();
    if (!Holds())
      return false;
    // All that is left is what the record keeps of the last switch and the icon the Dock shows.
    AdoptDeviceRecord(&KVMSwitch.info.device, DEVICE_DATA{});
    RestoreApplicationDockTileImage();
    if (LiveCounts() != atStart)
      return Fail("platform handles left behind at the end");
    return true;
  }
  long Steps() const { return steps_; }

  // What the run went through, to show it covered the ground.
  struct Seen {
    std::array<long, 2> opened{};  // switches opened, by generation
    long held = 0;                 // switches found while the session was switched out
    long failedReads = 0;
    long polls = 0;  // status reads of the polling timer seen after waiting
  } seen;
  std::string Failure() const { return failure_; }

 private:
  int Below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random_); }
  template <typename T>
  const T& AnyOf(const std::vector<T>& items) {
    return items[static_cast<std::size_t>(Below(static_cast<int>(items.size())))];
  }
  void Note(const std::string& step) {
    trace_.push_back(std::to_string(steps_) + " @" +
                     std::to_string(plat::NanosToSeconds(plat::Now())) + "s: " + step);
    if (trace_.size() > 12)
      trace_.pop_front();
  }

  void TakeRandomStep() {
    // A person acts only while the session is theirs; the hardware and time go on regardless.
    const bool person = expected_.sessionActive;
    switch (Below(14)) {
      case 0:
      case 1:
        if (person) {
          const int port = 1 + Below(4);
          Note("hot key of port " + std::to_string(port));
          ApplicationTest::PressHotKeyOfPort(port);
        }
        break;
      case 2:
        if (person)
          UseDockMenu();
        break;
      case 3:
        if (person)
          EditPreferences();
        break;
      case 4:
        if (person) {
          Note("auto-scan command");
          ApplicationTest::Command("Auto");
        }
        break;
      case 5:
        if (expected_.plugged != nullptr) {
          const int port = Below(4);
          Note("front-panel button " + std::to_string(port));
          expected_.plugged->PressButton(port);
        }
        break;
      case 6:
        if (expected_.plugged == nullptr)
          Plug(1 + Below(2));
        else if (Below(3) == 0)
          Unplug();
        break;
      case 7:
        SwitchSession(Below(4) != 0 ? !expected_.sessionActive : expected_.sessionActive);
        break;
      case 8:
        if (expected_.plugged != nullptr && person && expected_.deviceState == 2) {
          const int count = 1 + Below(3);
          Note("the switch fails its next " + std::to_string(count) + " reads");
          expected_.plugged->FailNextReads(count, kIOReturnNotResponding);
        }
        break;
      case 9:
        if (expected_.plugged != nullptr) {
          Note("the switch fails its next writes");
          expected_.plugged->FailNextWrites(1 + Below(3), kIOReturnNotResponding);
        }
        break;
      default:
        Wait(Below(8) == 0 ? 10.0 + Below(110'000) / 1000.0 : Below(10'000) / 1000.0);
        break;
    }
  }

  void UseDockMenu() {
    Note("Dock menu");
    const auto menu = plat::OpenDockMenu();
    if (!menu || Below(3) == 0)
      return;
    std::vector<plat::MenuItemView> usable;
    for (const auto& item : menu->items)
      if (item.enabled && !item.hidden && !item.separator && item.command != 0)
        usable.push_back(item);
    if (usable.empty())
      return;
    const auto& item = AnyOf(usable);
    Note("Dock menu item " + item.text);
    plat::ChooseMenuItem(menu->ref, item.index);
  }

  void EditPreferences() {
    Note("Preferences");
    ApplicationTest::Command("pref");
    const auto windows = plat::Windows();
    if (windows.empty())
      return;
    const WindowRef window = windows.front().ref;
    for (int edit = Below(4); edit > 0; --edit) {
      const auto view = plat::DescribeWindow(window);
      if (!view)
        return;
      std::vector<plat::ControlView> editable;
      for (const auto& control : view->controls)
        if (control.usable &&
            (control.kind == kControlKindCheckBox || control.kind == kControlKindPopupButton))
          editable.push_back(control);
      if (editable.empty())
        break;
      const auto& control = AnyOf(editable);
      if (control.kind == kControlKindCheckBox) {
        plat::ClickControl(control.ref);
      } else if (!control.popupItems.empty()) {
        plat::ChoosePopupItem(
            control.ref,
            static_cast<MenuItemIndex>(1 + Below(static_cast<int>(control.popupItems.size()))));
      }
    }
    const auto view = plat::DescribeWindow(window);
    if (!view)
      return;
    const bool ok = Below(4) != 0;
    for (const auto& control : view->controls)
      if (control.usable && (ok ? control.isDefault : control.isCancel)) {
        Note(ok ? "Preferences OK" : "Preferences Cancel");
        plat::ClickControl(control.ref);
        return;
      }
  }

  // The switch is opened as discovery opens it: at once while the session is active.
  void Open() {
    ++seen.opened[expected_.plugged->Generation() - 1];
    expected_.deviceState = 2;
    expected_.removalNotice = true;
    expected_.timer = expected_.timer || expected_.plugged->Generation() == 2;
    expected_.icon = expected_.plugged->CurrentPort();
  }

  void Plug(int generation) {
    Note("plug a generation-" + std::to_string(generation) + " switch");
    expected_.plugged = test_.Plug(generation, generation == 1 ? 2 + 2 * Below(2) : 2 + Below(3));
    plat::RunLoop::Main().RunPending();
    if (expected_.sessionActive)
      Open();
    else
      expected_.deviceState = 1;  // held until the session is back
    seen.held += expected_.deviceState == 1 ? 1 : 0;
  }

  void Unplug() {
    Note("unplug");
    plat::sim::Bench::Shared().Unplug(expected_.plugged);
    plat::RunLoop::Main().RunPending();
    expected_.plugged = nullptr;
    if (expected_.removalNotice) {
      // A held switch was never opened: nothing notices it leave, so it stays held.
      expected_.deviceState = 0;
      expected_.timer = false;
      expected_.removalNotice = false;
      expected_.icon = -1;
    }
  }

  void SwitchSession(bool active) {
    Note(active ? "session switched back" : "session switched out");
    plat::SwitchUserSession(active);
    const bool changed = active != expected_.sessionActive;
    expected_.sessionActive = active;
    if (changed && active && expected_.deviceState == 1) {
      // The held switch is looked up again, and opened if it is still plugged in.
      expected_.deviceState = 0;
      if (expected_.plugged != nullptr)
        Open();
    }
  }

  void Wait(double seconds) {
    Note("wait " + std::to_string(seconds) + "s");
    plat::RunLoop::Main().RunFor(plat::SecondsToNanos(seconds));
    waited_ = true;
  }

  // What the reads of the last step mean. Each status read opens the link, reads (retrying a
  // failed request) and closes it: a read failed when the last request of its opening failed.
  // A failed read drops the switch; the polling timer's last read decides the icon.
  bool FollowReads() {
    if (expected_.plugged == nullptr)
      return true;
    const auto& log = expected_.plugged->Exchanges();
    struct Read {
      bool good = true;
      int current = -1;
      int confirmed = -2;
    };
    std::vector<Read> reads;
    bool reading = false;
    for (const auto& exchange : log) {
      if (exchange.kind == Exchange::Kind::kHIDOpen ||
          exchange.kind == Exchange::Kind::kUSBDeviceOpen) {
        reading = false;
      } else if (exchange.kind == Exchange::Kind::kGetReport ||
                 exchange.kind == Exchange::Kind::kDeviceRequest) {
        if (!reading)
          reads.emplace_back();
        reading = true;
        Read& read = reads.back();
        read.good = exchange.status == kIOReturnSuccess;
        if (read.good && exchange.id == 5 && exchange.bytes.size() >= 2)
          read.current = exchange.bytes[1] & 0x0F;
        if (read.good && exchange.id == 4 && exchange.bytes.size() >= 3)
          read.confirmed = exchange.bytes[2] & 0x0F;
      }
    }
    for (const Read& read : reads) {
      seen.failedReads += read.good ? 0 : 1;
      if (!read.good && expected_.deviceState == 2)
        expected_.deviceState = 0;
    }
    seen.polls += waited_ ? static_cast<long>(reads.size()) : 0;
    if (waited_ && !reads.empty()) {
      if (!expected_.sessionActive)
        return Fail("the switch was read while the session was switched out");
      if (!expected_.timer)
        return Fail("the switch was read while no timer polls it");
      const Read& last = reads.back();
      expected_.icon = last.good && last.current == last.confirmed ? last.current : -1;
    } else if (expected_.timer && expected_.sessionActive) {
      // Commands take time too, so the timer may have polled among the step's own reads (the
      // Dock menu's and the Preferences window's, which leave the icon alone): any of them may
      // be the one the icon shows.
      for (const Read& read : reads)
        alternatives_.push_back(read.good && read.current == read.confirmed ? read.current : -1);
    }
    expected_.plugged->ClearExchanges();
    return true;
  }

  bool Holds() {
    const bool followed = FollowReads();
    waited_ = false;
    if (!followed) {
      alternatives_.clear();
      return false;
    }
    const _KVM_INFO& info = KVMSwitch.info;
    if (info.deviceState != expected_.deviceState)
      return Fail("deviceState " + std::to_string(info.deviceState) + ", expected " +
                  std::to_string(expected_.deviceState));
    if ((theTimer != nullptr) != expected_.timer)
      return Fail(expected_.timer ? "no polling timer" : "a polling timer");
    if (plat::LiveEventLoopTimers() != baseTimers_ + (expected_.timer ? 1 : 0))
      return Fail("event loop timers leak: " + std::to_string(plat::LiveEventLoopTimers()));
    if ((info.device.notification != 0) != expected_.removalNotice ||
        plat::IORegistry::Shared().InterestNotificationCount() !=
            baseNotices_ + (expected_.removalNotice ? 1 : 0))
      return Fail("removal notices: " +
                  std::to_string(plat::IORegistry::Shared().InterestNotificationCount()));
    // Nothing grows without bound: a plugged switch and the record of the last one hold a few.
    if (plat::LiveIOObjects() > baseObjects_ + 64 || plat::LivePlugInInterfaces() > 16 ||
        plat::LiveImages() > 4)
      return Fail("platform handles leak: " + std::to_string(plat::LiveIOObjects()) + " objects, " +
                  std::to_string(plat::LivePlugInInterfaces()) + " plug-ins, " +
                  std::to_string(plat::LiveImages()) + " images");
    const std::string shown = ShownIcon();
    const auto shows = [&shown](int icon) {
      return icon < 0 ? shown.empty() || shown == "velbrookmain.icns" : shown == PortIcon(icon);
    };
    for (const int icon : alternatives_)
      if (!shows(expected_.icon) && shows(icon))
        expected_.icon = icon;
    alternatives_.clear();
    if (!shows(expected_.icon))
      return Fail("Dock icon '" + shown + "', expected " +
                  (expected_.icon < 0 ? std::string("the plain one") : PortIcon(expected_.icon)));
    return true;
  }

  bool Fail(const std::string& what) {
    std::ostringstream text;
    text << "seed " << seed_ << " (replay: TALLOWMERE_SOAK_SEED=" << seed_ << "), step " << steps_
         << ": " << what << "\nlast steps:\n";
    for (const auto& step : trace_)
      text << "  " << step << "\n";
    failure_ = text.str();
    return false;
  }

  ApplicationTest& test_;
  unsigned long seed_;
  std::mt19937_64 random_;
  Expected expected_;
  std::deque<std::string> trace_;
  std::string failure_;
  long steps_ = 0;
  bool waited_ = false;
  std::vector<int> alternatives_;
  long baseTimers_ = 0;
  long baseObjects_ = 0;
  std::size_t baseNotices_ = 0;
};

class SoakTest : public ApplicationTest {};

TEST_F(SoakTest, RandomStepsOverVirtualTimeKeepEveryInvariant) {
  const auto seed = static_cast<unsigned long>(EnvironmentNumber("TALLOWMERE_SOAK_SEED", 20261206));
  const auto hours = static_cast<double>(EnvironmentNumber("TALLOWMERE_SOAK_HOURS", 1));
  Soak soak(*this, seed);
  bool held = false;
  EXPECT_EQ(RunProgram([&] { held = soak.Run(hours); }), 0);
  EXPECT_TRUE(held) << soak.Failure();
  std::printf(
      "soak: seed %lu, %.0f virtual hours, %ld steps; opened %ld + %ld (generation 1 + 2), "
      "held %ld, failed reads %ld, polls %ld\n",
      seed, hours, soak.Steps(), soak.seen.opened[0], soak.seen.opened[1], soak.seen.held,
      soak.seen.failedReads, soak.seen.polls);
  EXPECT_TRUE(soak.seen.opened[0] > 0 && soak.seen.opened[1] > 0 && soak.seen.held > 0 &&
              soak.seen.failedReads > 0 && soak.seen.polls > 0)
      << "the run did not reach every kind of event";
}

}  // namespace
