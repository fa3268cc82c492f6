// gadget-switch: a version-1 switch emulated through gadgetfs on dummy_hcd, on the simulated
// switch's own state machine. The host sees a USB device (vendor 0x10D5, product 0x000D) with
//   interface 0: HID (usbhid binds it and makes a hidraw node), one interrupt IN endpoint;
//   interface 1: vendor class, an interrupt IN and an interrupt OUT endpoint for the commands.
// Its status is the serial-number string, made afresh from the switch's state on every request.
//
// Options, for switches built otherwise:
//   --layout hid-out   the OUT endpoint on the HID interface, which is then the only one
//   --nul-serial       the port character without its digit offset, so that at PC 1 the serial
//                      string starts with U+0000 (where the kernel's copy of it ends)
//   --id VVVV:PPPP     other vendor and product ids (hexadecimal)
//
// Commands on standard input: "button N" (the front-panel button of port N, 1 to 4), "unplug",
// "plug", "quit". The log on standard output has one line per exchange:
//   string 3: 30 00 5f 00 b2 00    a serial-number request and the characters answered
//   out: 01 02 00 00 00 00 00 00   a packet that arrived on the OUT endpoint
// With GADGET_SWITCH_TRACE set, every control request is also traced on standard error.
#include <fcntl.h>
#include <linux/usb/ch9.h>
#include <linux/usb/gadgetfs.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/RunLoop.h"
#include "platform/sim/SimulatedSwitch.h"
#include "tools/vm/emulators/EmulatorConsole.h"
#include "tools/vm/emulators/GadgetDescriptors.h"

namespace tallowmere::vm {

namespace {

static_assert(kSerialIndex == plat::sim::SimulatedSwitch::kSerialNumberIndex);

struct GadgetOptions {
  Layout layout = Layout::kVendorOut;
  bool nulSerial = false;
  unsigned vendor = 0x10D5;
  unsigned product = 0x000D;
};

class GadgetSwitch {
 public:
  GadgetSwitch(std::shared_ptr<plat::sim::SimulatedSwitch> state, const GadgetOptions& options)
      : state_(std::move(state)), options_(options) {
    if (::pipe2(packets_, O_CLOEXEC) == 0)
      plat::RunLoop::Main().AddSource(packets_[0], [this] { PacketArrived(); });
  }
  ~GadgetSwitch() { Unplug(); }

  bool Plug() {
    if (ep0_ >= 0)
      return true;
    const std::string controller = ControllerFile();
    ep0_ = controller.empty() ? -1 : ::open(controller.c_str(), O_RDWR | O_CLOEXEC);
    if (ep0_ < 0) {
      Log("cannot open the gadget controller in " + std::string(kGadgetDir) + ": " +
          std::strerror(errno));
      return false;
    }
    Bytes setup(4, 0);  // tag 0: the device's descriptors follow
    for (const Bytes& part : {ConfigurationDescriptor(options_.layout, false),
                              ConfigurationDescriptor(options_.layout, true),
                              DeviceDescriptor(state_->VendorID(), state_->ProductID())}) {
      setup.insert(setup.end(), part.begin(), part.end());
    }
    if (::write(ep0_, setup.data(), setup.size()) != static_cast<ssize_t>(setup.size())) {
      Log(std::string("the gadget controller refused the descriptors: ") + std::strerror(errno));
      ::close(ep0_);
      ep0_ = -1;
      return false;
    }
    source_ = plat::RunLoop::Main().AddSource(ep0_, [this] { ControlReady(); });
    Log("plugged");
    return true;
  }

  void Unplug() {
    if (ep0_ < 0)
      return;
    plat::RunLoop::Main().RemoveSource(source_);
    // The endpoints first: closing the controller waits for every endpoint's pending read.
    StopEndpoints();
    // Closing the controller disconnects the device.
    ::close(ep0_);
    ep0_ = -1;
    Log("unplugged");
  }

 private:
  void ControlReady() {
    std::array<usb_gadgetfs_event, 4> events{};
    const ssize_t got = ::read(ep0_, events.data(), sizeof events);
    if (got < 0) {
      if (errno != EINTR && errno != EAGAIN)
        Log(std::string("control read failed: ") + std::strerror(errno));
      return;
    }
    for (std::size_t i = 0; i < static_cast<std::size_t>(got) / sizeof events[0]; ++i) {
      switch (events[i].type) {
        case GADGETFS_SETUP:
          Setup(events[i].u.setup);
          break;
        case GADGETFS_DISCONNECT:
          StopEndpoints();
          break;
        default:
          break;  // connect, suspend, nop
      }
    }
  }

  void Setup(const usb_ctrlrequest& request) {
    if (std::getenv("GADGET_SWITCH_TRACE") != nullptr) {
      const auto* raw = reinterpret_cast<const std::uint8_t*>(&request);
      std::fprintf(stderr, "setup: %s\n", HexBytes(raw, sizeof request).c_str());
    }
    const unsigned value = request.wValue;
    const unsigned length = request.wLength;
    const bool in = (request.bRequestType & USB_DIR_IN) != 0;
    if (request.bRequest == USB_REQ_GET_DESCRIPTOR && in) {
      const unsigned type = value >> 8;
      const unsigned index = value & 0xFF;
      if (type == USB_DT_STRING)
        return Answer(StringAnswer(index), length);
      if (type == 0x22 && (request.bRequestType & USB_RECIP_MASK) == USB_RECIP_INTERFACE)
        return Answer(ReportDescriptor(options_.layout), length);
      return Stall(in);
    }
    if (request.bRequest == USB_REQ_SET_CONFIGURATION && !in) {
      if (value == kConfigurationValue)
        StartEndpoints();
      else
        StopEndpoints();
      return Acknowledge();
    }
    // SET_IDLE and SET_INTERFACE (alternate setting 0) are taken; anything else is stalled.
    const bool setIdle = request.bRequestType == 0x21 && request.bRequest == 0x0A;
    const bool setInterface = request.bRequest == USB_REQ_SET_INTERFACE && value == 0;
    if (setIdle || setInterface)
      return Acknowledge();
    Stall(in);
  }

  Bytes StringAnswer(unsigned index) {
    switch (index) {
      case 0:
        return {4, USB_DT_STRING, 0x09, 0x04};  // English (United States)
      case kManufacturerIndex:
        return StringDescriptor("Tallowmere test bench");
      case kProductIndex:
        return StringDescriptor("Emulated KVM switch v1");
      case kSerialIndex: {
        // The switch's status as it is at this very request.
        auto serial = state_->SerialNumberBytes();
        if (options_.nulSerial)
          serial[0] &= 0x07;
        Log("string 3: " + HexBytes(serial.data(), serial.size()));
        Bytes bytes{static_cast<std::uint8_t>(2 + serial.size()), USB_DT_STRING};
        bytes.insert(bytes.end(), serial.begin(), serial.end());
        return bytes;
      }
      default:
        return {};
    }
  }

  void Answer(const Bytes& bytes, unsigned length) {
    if (bytes.empty())
      return Stall(true);
    const std::size_t size = std::min<std::size_t>(bytes.size(), length);
    if (::write(ep0_, bytes.data(), size) < 0)
      Log(std::string("control answer failed: ") + std::strerror(errno));
  }

  // The status stage of a request without data.
  void Acknowledge() {
    char none = 0;
    if (::read(ep0_, &none, 0) < 0)
      Log(std::string("control acknowledgement failed: ") + std::strerror(errno));
  }

  // An I/O in the direction opposite to the request's makes gadgetfs stall it.
  void Stall(bool in) {
    char none = 0;
    const ssize_t result = in ? ::read(ep0_, &none, 0) : ::write(ep0_, &none, 0);
    (void)result;
  }

  void StartEndpoints() {
    if (!endpointFds_.empty())
      return;
    std::vector<std::string> files = EndpointFiles();
    for (const Endpoint& endpoint : Endpoints(options_.layout)) {
      const auto file = std::ranges::find_if(files, [&](const std::string& name) {
        return name.find(endpoint.kind) != std::string::npos;
      });
      if (file == files.end()) {
        Log(std::string("no free endpoint file of kind ") + endpoint.kind);
        return;
      }
      const std::string path = std::string(kGadgetDir) + "/" + *file;
      files.erase(file);
      const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
      Bytes config(4, 0);
      config[0] = 1;  // tag 1: the full-speed and high-speed descriptors follow
      for (bool highSpeed : {false, true}) {
        const Bytes descriptor = EndpointDescriptor(endpoint.address, highSpeed);
        config.insert(config.end(), descriptor.begin(), descriptor.end());
      }
      if (fd < 0 || ::write(fd, config.data(), config.size()) < 0) {
        Log("cannot configure " + path + ": " + std::strerror(errno));
        if (fd >= 0)
          ::close(fd);
        return;
      }
      endpointFds_.push_back(fd);
    }
    const int out = endpointFds_[OutEndpoint(options_.layout)];
    const int sink = packets_[1];
    stopReading_ = false;
    readerDone_ = false;
    reader_ = std::thread([this, out, sink] {
      ReadPackets(out, sink);
      readerDone_ = true;
    });
  }

  // Blocking reads, each one packet, passed on to the main thread. A disconnect does not always
  // end a pending read: the main thread interrupts it with a signal and sets stopReading_ first.
  void ReadPackets(int out, int sink) {
    // One packet per read: a read longer than the packet size would wait for a short packet
    // that an 8-byte command never sends.
    std::uint8_t packet[1 + kPacketSize];
    for (;;) {
      const ssize_t got = ::read(out, packet + 1, kPacketSize);
      if (stopReading_)
        return;
      if (got < 0 && errno == EINTR)
        continue;
      if (got < 0) {
        std::fprintf(stderr, "endpoint read ended: %s\n", std::strerror(errno));
        return;
      }
      packet[0] = static_cast<std::uint8_t>(got);
      if (::write(sink, packet, static_cast<std::size_t>(got) + 1) < 0)
        return;
    }
  }

  void StopEndpoints() {
    if (reader_.joinable()) {
      stopReading_ = true;
      // Repeated: the signal may arrive just before the thread enters its read.
      while (::pthread_kill(reader_.native_handle(), SIGUSR1) == 0 && !readerDone_) {
        ::usleep(10000);
      }
      reader_.join();
    }
    for (int fd : endpointFds_) {
      if (fd >= 0)
        ::close(fd);
    }
    endpointFds_.clear();
  }

  void PacketArrived() {
    std::uint8_t packet[1 + kPacketSize];
    if (::read(packets_[0], packet, 1) != 1)
      return;
    const std::size_t size = packet[0];
    if (size > kPacketSize)
      return;
    if (size > 0 && ::read(packets_[0], packet + 1, size) != static_cast<ssize_t>(size))
      return;
    Log("out: " + HexBytes(packet + 1, size));
    state_->ExecuteCommandPacket(packet + 1, size);
  }

  std::shared_ptr<plat::sim::SimulatedSwitch> state_;
  GadgetOptions options_;
  int ep0_ = -1;
  plat::RunLoop::Id source_ = 0;
  std::vector<int> endpointFds_;
  std::thread reader_;
  std::atomic<bool> stopReading_ = false;
  std::atomic<bool> readerDone_ = false;
  int packets_[2] = {-1, -1};
};

}  // namespace

}  // namespace tallowmere::vm

namespace {

bool ParseOptions(int argc, char** argv, tallowmere::vm::GadgetOptions& options) {
  using tallowmere::vm::Layout;
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : "";
    if (option == "--nul-serial") {
      options.nulSerial = true;
    } else if (option == "--layout" &&
               (value == std::string_view("hid-out") || value == std::string_view("vendor-out"))) {
      options.layout = value == std::string_view("hid-out") ? Layout::kHidOut : Layout::kVendorOut;
      ++i;
    } else if (option == "--id" &&
               tallowmere::vm::ParseIds(value, options.vendor, options.product)) {
      ++i;
    } else {
      std::fprintf(stderr,
                   "usage: gadget-switch [--layout hid-out|vendor-out] [--nul-serial] "
                   "[--id VVVV:PPPP]\n");
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tallowmere::vm;
  GadgetOptions options;
  if (!ParseOptions(argc, argv, options))
    return 2;
  // SIGUSR1 interrupts the endpoint reader's read (no SA_RESTART) and does nothing else.
  struct sigaction interrupt {};
  interrupt.sa_handler = [](int) {};
  sigaction(SIGUSR1, &interrupt, nullptr);
  auto state = plat::sim::SimulatedSwitch::Create(
      {.generation = 1, .ports = 4, .vendorID = options.vendor, .productID = options.product});
  GadgetSwitch device(state, options);
  return ServeSwitch(device, *state);
}
