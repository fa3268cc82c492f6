// What a version-2 switch that stops answering costs the program's thread: the longest time one
// device call blocks it, the first status poll after the switch went silent (the protocol's own
// pacing before each attempt included), and the polls after it. The switch is a real hidraw
// device made through /dev/uhid that never replies to a feature-report request, where /dev/uhid
// opens (as root, with the uhid module); elsewhere a stand-in kernel that holds every
// feature-report ioctl for 5 s, as uhid and usbhid do.
//   stuck_switch [polls after the first, 3]
// Prints "key value" lines: how, longest-block-ms, first-poll-ms, next-poll-ms, command-ms.
#include <fcntl.h>
#include <linux/hidraw.h>
#include <linux/uhid.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "hid/HIDTransport.h"
#include "platform/linux/HidrawConnection.h"
#include "platform/linux/SysfsDevices.h"
#include "platform/model/iokit/DeviceBackends.h"

namespace fs = std::filesystem;
using namespace plat::linux_dev;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::uint16_t kVendor = 0x10D5;
constexpr std::uint16_t kProduct = 0x5501;
// Feature report 4 (8 bytes) and 5 (4 bytes), report IDs included, on a vendor page.
const std::uint8_t kDescriptor[] = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x85, 0x04,
    0x09, 0x02, 0x95, 0x07, 0xB1, 0x02, 0x85, 0x05, 0x09, 0x03, 0x95, 0x03, 0xB1, 0x02, 0xC0};

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Times every call the program's code makes on the device interface.
class TimedBackend final : public plat::HIDDeviceBackend {
 public:
  explicit TimedBackend(std::shared_ptr<plat::HIDDeviceBackend> inner) : inner_(std::move(inner)) {}
  IOReturn Open(IOOptionBits options) override {
    return Timed([&] { return inner_->Open(options); });
  }
  IOReturn Close() override {
    return Timed([&] { return inner_->Close(); });
  }
  IOReturn GetReport(IOHIDReportType type, UInt32 id, UInt8* buffer, UInt32* size) override {
    return Timed([&] { return inner_->GetReport(type, id, buffer, size); });
  }
  IOReturn SetReport(IOHIDReportType type, UInt32 id, const UInt8* buffer, UInt32 size) override {
    return Timed([&] { return inner_->SetReport(type, id, buffer, size); });
  }
  double longest = 0;

 private:
  template <typename Call>
  IOReturn Timed(Call call) {
    const auto start = Clock::now();
    const IOReturn status = call();
    longest = std::max(longest, Milliseconds(Clock::now() - start));
    return status;
  }
  std::shared_ptr<plat::HIDDeviceBackend> inner_;
};

// A kernel whose feature-report ioctls take 5 s to fail, as with a switch that never answers.
class SilentKernel final : public HidrawSystem {
 public:
  int Open(const char*) override { return 1000; }
  int DeviceNumber(int, dev_t* number) override {
    *number = makedev(244, 0);
    return 0;
  }
  int Ioctl(int, unsigned long request, void* argument) override {
    if (request == HIDIOCGRAWINFO) {
      *static_cast<hidraw_devinfo*>(argument) = {0x03, static_cast<__s16>(kVendor),
                                                 static_cast<__s16>(kProduct)};
      return 0;
    }
    std::this_thread::sleep_for(std::chrono::seconds(5));
    return -EIO;
  }
  void Close(int) override {}
};

// A uhid switch that takes every request and answers none. Returns its hidraw folder, or an
// empty path when /dev/uhid cannot be used here.
fs::path MakeSilentUhidSwitch() {
  const int fd = ::open("/dev/uhid", O_RDWR | O_CLOEXEC);
  if (fd < 0)
    return {};
  uhid_event create{};
  create.type = UHID_CREATE2;
  std::snprintf(reinterpret_cast<char*>(create.u.create2.name), sizeof create.u.create2.name,
                "tallowmere silent switch");
  create.u.create2.rd_size = sizeof kDescriptor;
  create.u.create2.bus = 0x03;
  create.u.create2.vendor = kVendor;
  create.u.create2.product = kProduct;
  std::memcpy(create.u.create2.rd_data, kDescriptor, sizeof kDescriptor);
  if (::write(fd, &create, sizeof create) != static_cast<ssize_t>(sizeof create)) {
    ::close(fd);
    return {};
  }
  // Reads (and so takes) every event, answers nothing; the device lives as long as the process.
  std::thread([fd] {
    uhid_event event{};
    while (::read(fd, &event, sizeof event) > 0) {
    }
  }).detach();
  for (int i = 0; i < 200; ++i) {
    for (const fs::path& syspath : HidrawSyspaths("/")) {
      std::ifstream uevent(syspath / "device/uevent");
      std::string line;
      while (std::getline(uevent, line)) {
        if (line == "HID_NAME=tallowmere silent switch")
          return syspath;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  const int polls = argc > 1 ? std::atoi(argv[1]) : 3;
  std::shared_ptr<HidrawDevice> device;
  const char* how = "uhid";
  const fs::path syspath = MakeSilentUhidSwitch();
  if (const auto info = syspath.empty() ? std::nullopt : DescribeHidraw("/", syspath)) {
    device = std::make_shared<HidrawDevice>(
        HidrawIdentity{info->devnode, info->number, info->identity, info->udevRecord});
  } else {
    how = "stand-in";
    device = std::make_shared<HidrawDevice>(
        HidrawIdentity{"/dev/hidraw0", makedev(244, 0), {0x03, kVendor, kProduct}, {}},
        std::make_shared<SilentKernel>());
  }
  auto timed = std::make_shared<TimedBackend>(std::make_shared<HidrawConnection>(device));
  DEVICE_DATA data{};
  data.hidDevice = plat::NewHIDDeviceInterface(timed);

  // The polls as the polling timer runs them: a status read of reports 5 and 4.
  auto start = Clock::now();
  const IOReturn first = HIDGetDeviceInfo(&data);
  const double firstPoll = Milliseconds(Clock::now() - start);
  double nextPoll = 0;
  for (int i = 0; i < polls; ++i) {
    start = Clock::now();
    HIDGetDeviceInfo(&data);
    nextPoll = std::max(nextPoll, Milliseconds(Clock::now() - start));
  }
  // A hot key's command while the switch is still silent.
  unsigned char command[8] = {0x04, 0x81, 0x01};
  start = Clock::now();
  HIDSetDeviceInfo(&data, command, 8);
  const double commandTime = Milliseconds(Clock::now() - start);

  std::printf(
      "how %s\nfirst-status %08x\nlongest-block-ms %.1f\nfirst-poll-ms %.1f\n"
      "next-poll-ms %.2f\ncommand-ms %.2f\n",
      how, static_cast<unsigned>(first), timed->longest, firstPoll, nextPoll, commandTime);
  (*data.hidDevice)->Release(data.hidDevice);
  // The stuck call is left to the kernel: the process ends without waiting for it.
  return 0;
}
