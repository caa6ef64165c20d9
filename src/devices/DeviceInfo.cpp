#include "devices/DeviceInfo.hpp"

#include "util/TextFormat.hpp"

namespace drawlume {

std::string DeviceInfo::displayName() const {
    return productName + strf(" (VID: 0x%04X, PID: 0x%04X)", static_cast<uint32_t>(vendorID),
                              static_cast<uint32_t>(productID));
}

}  // namespace drawlume
