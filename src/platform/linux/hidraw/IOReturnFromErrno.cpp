#include "platform/linux/hidraw/IOReturnFromErrno.hpp"

#include <cerrno>

namespace drawlume {

IOReturn ioReturnFromErrno(int error) {
    switch (error) {
        case 0:
            return kIOReturnSuccess;
        case EACCES:
        case EPERM:
            return kIOReturnNotPrivileged;
        case EBUSY:
            return kIOReturnExclusiveAccess;
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return kIOReturnNotOpen;
        case ENOMEM:
            return kIOReturnNoMemory;
        default:
            return kIOReturnError;
    }
}

}  // namespace drawlume
