#include "platform/linux/hidraw/HidrawHost.hpp"

#include "platform/linux/hidraw/HidrawManager.hpp"

namespace drawlume {

std::shared_ptr<HidManager> HidrawHost::createManager(IOOptionBits /*options*/) {
    return HidrawManager::create();
}

}  // namespace drawlume
