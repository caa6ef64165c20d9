#include "platform/linux/HidrawHost.hpp"

#include "platform/linux/HidrawManager.hpp"

namespace drawlume {

std::shared_ptr<HidManager> HidrawHost::createManager(IOOptionBits /*options*/) {
    return HidrawManager::create();
}

}  // namespace drawlume
