#include "platform/linux/ErrnoStatus.h"

#include <libusb.h>

#include <cerrno>
#include <cstdio>
#include <map>

#include "platform/IOUSBLib.h"
#include "platform/model/core/FileContents.h"
#include "platform/model/iokit/DeviceWrites.h"

namespace plat::linux_dev {

IOReturn StatusFromErrno(int error) {
  switch (error) {
    case 0:
      return kIOReturnSuccess;
    case EACCES:
      return kIOReturnNotPrivileged;
    case EPERM:
      return kIOReturnNotPermitted;
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return kIOReturnNoDevice;
    case EINVAL:
      return kIOReturnBadArgument;
    case EBUSY:
      return kIOReturnExclusiveAccess;
    case ENOMEM:
      return kIOReturnNoMemory;
    case ETIMEDOUT:
      return kIOReturnTimeout;
    case EPIPE:
      return kIOUSBPipeStalled;
    case EOVERFLOW:
      return kIOReturnOverrun;
    case EIO:
    case EPROTO:
      return kIOReturnIOError;
    default:
      return kIOReturnError;
  }
}

IOReturn StatusFromLibusb(int error) {
  switch (error) {
    case LIBUSB_SUCCESS:
      return kIOReturnSuccess;
    case LIBUSB_ERROR_IO:
      return kIOReturnIOError;
    case LIBUSB_ERROR_INVALID_PARAM:
      return kIOReturnBadArgument;
    case LIBUSB_ERROR_ACCESS:
      return kIOReturnNotPrivileged;
    case LIBUSB_ERROR_NO_DEVICE:
    case LIBUSB_ERROR_NOT_FOUND:
      return kIOReturnNoDevice;
    case LIBUSB_ERROR_BUSY:
      return kIOReturnExclusiveAccess;
    case LIBUSB_ERROR_TIMEOUT:
      return kIOReturnTimeout;
    case LIBUSB_ERROR_OVERFLOW:
      return kIOReturnOverrun;
    case LIBUSB_ERROR_PIPE:
      return kIOUSBPipeStalled;
    case LIBUSB_ERROR_NO_MEM:
      return kIOReturnNoMemory;
    case LIBUSB_ERROR_NOT_SUPPORTED:
      return kIOReturnUnsupported;
    default:
      return kIOReturnError;
  }
}

bool HasUaccessTag(const std::filesystem::path& udevRecord) {
  // "G:" lines are the tags a rule ever set, "Q:" those of the last event (newer udev).
  const std::string record = "\n" + plat::FileContents(udevRecord.string()).value_or("") + "\n";
  return record.find("\nG:uaccess\n") != std::string::npos ||
         record.find("\nQ:uaccess\n") != std::string::npos;
}

void ReportNoAccess(const std::string& devnode, unsigned vendor, unsigned product, bool tagged) {
  plat::NoteAccessRefused(devnode);
  static std::map<std::string, bool> reported;
  const auto [entry, added] = reported.try_emplace(devnode, tagged);
  if (!added && entry->second == tagged)
    return;
  entry->second = tagged;
  const char* cause =
      tagged ? "udev gives access only to the user of the active local session at the seat "
               "(for ssh, an inactive session or another seat, see 'Access to the switch' in "
               "README)"
             : "install the udev rule with 'sudo cmake --install <build folder>', then apply it "
               "with 'sudo udevadm control --reload && sudo udevadm trigger'";
  std::fprintf(stderr, "tallowmere: no permission to open %s (switch %04X:%04X); %s\n",
               devnode.c_str(), vendor, product, cause);
}

}  // namespace plat::linux_dev
