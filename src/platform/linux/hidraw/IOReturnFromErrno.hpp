#pragma once

#include "devices/IOReturn.hpp"

namespace drawlume {

// The result code for an errno of a failed platform call, chosen so that the
// device manager's open-error texts fit: no permission, held by another
// program, gone. Everything else is a plain error.
IOReturn ioReturnFromErrno(int error);

}  // namespace drawlume
