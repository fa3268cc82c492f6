#include "platform/linux/ErrnoStatus.h"

#include <libusb.h>

#include <cerrno>
#include <cstdio>
#include <set>

#include "platform/IOUSBLib.h"
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

void ReportNoAccess(const std::string& devnode, unsigned vendor, unsigned product) {
  plat::NoteAccessRefused(devnode);
  static std::set<std::string> reported;
  if (!reported.insert(devnode).second)
    return;
  std::fprintf(stderr,
               "tallowmere: no permission to open %s (switch %04X:%04X); install the udev rule "
               "with 'sudo cmake --install <build folder>', then unplug and replug the switch\n",
               devnode.c_str(), vendor, product);
}

}  // namespace plat::linux_dev
