// uhid-switch: a version-2 switch emulated through /dev/uhid, on the simulated switch's own state
// machine. The kernel makes it a HID device (vendor 0x10D5, product 0x5504) with a hidraw node;
// feature-report reads and writes on that node arrive here as UHID_GET_REPORT and
// UHID_SET_REPORT and are answered from, and carried out on, the switch's state.
//
// Commands on standard input: "button N" (the front-panel button of port N, 1 to 4), "unplug",
// "plug", "quit"; "hang" (from now on, requests are held without an answer, as a switch that
// stops answering) and "answer" (the held requests are answered, and the next ones again at
// once). The log on standard output has one line per exchange:
//   get 5: 05 40 3f 0e        a feature-report read and the report answered
//   set 4: 04 81 01 00 ...    a feature-report write as it arrived
//   get 5: held               a read that gets no answer until "answer"
// With --times, each feature-report read and write, and each first open of the hidraw node, is
// also logged the moment it arrives from /dev/uhid, on CLOCK_MONOTONIC (seconds, shared by every
// process of the machine), before it is served:
//   received set 4 at 1234.567890123
//   received open at 1234.400000000
// so that a benchmark can set it against the time another process did something.
//
// With --other VVVV:PPPP it is not a switch but another HID device with those ids (and the same
// report descriptor, so that nothing but its ids tells it apart): it refuses every request and
// logs each, "request get N", "request set N: ..." or "request output: ...", and logs "opened by
// the host" and "closed by the host" when its hidraw node is first opened and last closed.
#include <fcntl.h>
#include <linux/uhid.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RunLoop.h"
#include "platform/sim/SimulatedSwitch.h"
#include "tools/vm/emulators/EmulatorConsole.h"

namespace tallowmere::vm {

namespace {

// Vendor-defined page; feature report 5 (3 bytes after its ID) and feature report 4 (7 bytes
// after its ID), each byte 0 to 255.
constexpr std::uint8_t kReportDescriptor[] = {
    0x06, 0x00, 0xFF,  // Usage Page (vendor 0xFF00)
    0x09, 0x01,        // Usage (1)
    0xA1, 0x01,        // Collection (Application)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x85, 0x05,        //   Report ID (5)
    0x09, 0x02,        //   Usage (2)
    0x95, 0x03,        //   Report Count (3)
    0xB1, 0x02,        //   Feature (Data, Variable, Absolute)
    0x85, 0x04,        //   Report ID (4)
    0x09, 0x03,        //   Usage (3)
    0x95, 0x07,        //   Report Count (7)
    0xB1, 0x02,        //   Feature (Data, Variable, Absolute)
    0xC0,              // End Collection
};

constexpr std::uint16_t kBusUsb = 0x03;

struct UhidOptions {
  bool other = false;  // another HID device, not a switch
  bool times = false;  // log the arrival time of each request and open
  unsigned vendor = 0;
  unsigned product = 0;
};

class UhidSwitch {
 public:
  UhidSwitch(std::shared_ptr<plat::sim::SimulatedSwitch> state, const UhidOptions& options)
      : state_(std::move(state)), options_(options) {}
  ~UhidSwitch() { Unplug(); }

  bool Plug() {
    if (fd_ >= 0)
      return true;
    fd_ = ::open("/dev/uhid", O_RDWR | O_CLOEXEC);
    if (fd_ < 0) {
      Log(std::string("cannot open /dev/uhid: ") + std::strerror(errno));
      return false;
    }
    uhid_event event{};
    event.type = UHID_CREATE2;
    auto& create = event.u.create2;
    std::snprintf(reinterpret_cast<char*>(create.name), sizeof create.name, "%s",
                  options_.other ? "Emulated other HID device" : "Emulated KVM switch v2");
    std::snprintf(reinterpret_cast<char*>(create.phys), sizeof create.phys, "%s", "uhid-switch");
    // No serial number: a version-2 switch tells its generation by its 8-byte feature report.
    create.rd_size = sizeof kReportDescriptor;
    create.bus = kBusUsb;
    create.vendor = options_.other ? options_.vendor : state_->VendorID();
    create.product = options_.other ? options_.product : state_->ProductID();
    create.version = 0x0100;
    std::memcpy(create.rd_data, kReportDescriptor, sizeof kReportDescriptor);
    if (!Send(event)) {
      ::close(fd_);
      fd_ = -1;
      return false;
    }
    source_ = plat::RunLoop::Main().AddSource(fd_, [this] { Ready(); });
    Log("plugged");
    return true;
  }

  void Unplug() {
    if (fd_ < 0)
      return;
    plat::RunLoop::Main().RemoveSource(source_);
    held_.clear();
    uhid_event event{};
    event.type = UHID_DESTROY;
    Send(event);
    ::close(fd_);
    fd_ = -1;
    Log("unplugged");
  }

  void AddCommands(EmulatorConsole& console) {
    console.On("hang", [this](std::string_view) {
      hanging_ = true;
      Log("hanging");
    });
    console.On("answer", [this](std::string_view) {
      hanging_ = false;
      Log("answering");
      // The kernel has given up on all but the last, if that; late answers to the others are
      // ignored by it, as they would be from a device.
      std::vector<uhid_event> held;
      held.swap(held_);
      for (const uhid_event& request : held)
        Serve(request);
    });
  }

 private:
  bool Send(const uhid_event& event) {
    const ssize_t written = ::write(fd_, &event, sizeof event);
    if (written != static_cast<ssize_t>(sizeof event)) {
      Log(std::string("uhid write failed: ") + std::strerror(errno));
      return false;
    }
    return true;
  }

  void Ready() {
    uhid_event event{};
    const ssize_t got = ::read(fd_, &event, sizeof event);
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
      return;
    if (got <= 0) {
      Log("uhid closed");
      plat::RunLoop::Main().RemoveSource(source_);
      return;
    }
    if (options_.times)
      LogArrival(event);
    if (options_.other)
      return Refuse(event);
    if (hanging_ && (event.type == UHID_GET_REPORT || event.type == UHID_SET_REPORT)) {
      const bool get = event.type == UHID_GET_REPORT;
      Log(std::string(get ? "get " : "set ") +
          std::to_string(get ? event.u.get_report.rnum : event.u.set_report.rnum) + ": held");
      held_.push_back(event);
      return;
    }
    Serve(event);
  }

  static void LogArrival(const uhid_event& event) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::string what;
    if (event.type == UHID_GET_REPORT)
      what = "get " + std::to_string(event.u.get_report.rnum);
    else if (event.type == UHID_SET_REPORT)
      what = "set " + std::to_string(event.u.set_report.rnum);
    else if (event.type == UHID_OPEN)
      what = "open";
    else
      return;
    char time[40];
    std::snprintf(time, sizeof time, "%lld.%09ld", static_cast<long long>(now.tv_sec), now.tv_nsec);
    Log("received " + what + " at " + time);
  }

  void Serve(const uhid_event& event) {
    switch (event.type) {
      case UHID_GET_REPORT:
        AnswerGetReport(event.u.get_report);
        break;
      case UHID_SET_REPORT:
        AnswerSetReport(event.u.set_report);
        break;
      default:
        break;  // start, stop, open, close, output: nothing to answer
    }
  }

  // Another device: every request is logged and refused, so that a scenario sees each one.
  void Refuse(const uhid_event& event) {
    uhid_event reply{};
    switch (event.type) {
      case UHID_GET_REPORT:
        Log("request get " + std::to_string(event.u.get_report.rnum));
        reply.type = UHID_GET_REPORT_REPLY;
        reply.u.get_report_reply.id = event.u.get_report.id;
        reply.u.get_report_reply.err = EIO;
        Send(reply);
        break;
      case UHID_SET_REPORT: {
        const auto& request = event.u.set_report;
        const std::size_t size = std::min<std::size_t>(request.size, sizeof request.data);
        Log("request set " + std::to_string(request.rnum) + ": " + HexBytes(request.data, size));
        reply.type = UHID_SET_REPORT_REPLY;
        reply.u.set_report_reply.id = request.id;
        reply.u.set_report_reply.err = EIO;
        Send(reply);
        break;
      }
      case UHID_OUTPUT: {
        const auto& output = event.u.output;
        const std::size_t size = std::min<std::size_t>(output.size, sizeof output.data);
        Log("request output: " + HexBytes(output.data, size));
        break;
      }
      case UHID_OPEN:
        Log("opened by the host");  // the first open of its hidraw node
        break;
      case UHID_CLOSE:
        Log("closed by the host");
        break;
      default:
        break;  // start, stop: not requests
    }
  }

  void AnswerGetReport(const uhid_get_report_req& request) {
    uhid_event reply{};
    reply.type = UHID_GET_REPORT_REPLY;
    auto& answer = reply.u.get_report_reply;
    answer.id = request.id;
    if (request.rtype != UHID_FEATURE_REPORT || (request.rnum != 5 && request.rnum != 4)) {
      answer.err = EIO;
      Log("get " + std::to_string(request.rnum) + ": refused");
    } else {
      const auto status = state_->StatusReport();
      const auto settings = state_->SettingsReport();
      const std::uint8_t* report = request.rnum == 5 ? status.data() : settings.data();
      const std::size_t size = request.rnum == 5 ? status.size() : settings.size();
      std::memcpy(answer.data, report, size);
      answer.size = static_cast<std::uint16_t>(size);
      Log("get " + std::to_string(request.rnum) + ": " + HexBytes(report, size));
    }
    Send(reply);
  }

  void AnswerSetReport(const uhid_set_report_req& request) {
    uhid_event reply{};
    reply.type = UHID_SET_REPORT_REPLY;
    reply.u.set_report_reply.id = request.id;
    const std::size_t size = std::min<std::size_t>(request.size, sizeof request.data);
    Log("set " + std::to_string(request.rnum) + ": " + HexBytes(request.data, size));
    // The switch takes a command report whether or not it can carry it out; the next status
    // read tells. Other reports are refused.
    if (request.rtype == UHID_FEATURE_REPORT && request.rnum == 4 && size == 8)
      state_->ExecuteCommandReport(request.data, size);
    else
      reply.u.set_report_reply.err = EIO;
    Send(reply);
  }

  std::shared_ptr<plat::sim::SimulatedSwitch> state_;
  UhidOptions options_;
  bool hanging_ = false;
  std::vector<uhid_event> held_;
  int fd_ = -1;
  plat::RunLoop::Id source_ = 0;
};

}  // namespace

}  // namespace tallowmere::vm

int main(int argc, char** argv) {
  using namespace tallowmere::vm;
  UhidOptions options;
  if (argc == 3 && std::string_view(argv[1]) == "--other" &&
      ParseIds(argv[2], options.vendor, options.product)) {
    options.other = true;
  } else if (argc == 2 && std::string_view(argv[1]) == "--times") {
    options.times = true;
  } else if (argc != 1) {
    std::fprintf(stderr, "usage: uhid-switch [--other VVVV:PPPP | --times]\n");
    return 2;
  }
  auto state = plat::sim::SimulatedSwitch::Create({.generation = 2, .ports = 4});
  UhidSwitch device(state, options);
  return ServeSwitch(device, *state);
}
