#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Frame.hpp"

namespace drawlume::e2e {

// A device created through /dev/uinput, as the agent's event sink creates its pen,
// pointer and keyboard: here to prove the kernel side of that road works, and to
// read the frames written back.
struct UinputAxis {
    uint16_t code = 0;
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t resolution = 0;
    int32_t value = 0;
};

struct UinputLayout {
    std::string name;
    uint16_t bus = 0x06;  // BUS_VIRTUAL
    uint16_t vendor = 0x1d6b;
    uint16_t product = 0x0e2f;
    std::vector<uint16_t> keys;
    std::vector<uint16_t> relatives;
    std::vector<UinputAxis> axes;
    std::vector<uint16_t> properties;
};

class UinputDevice {
public:
    UinputDevice() = default;
    ~UinputDevice();
    UinputDevice(const UinputDevice&) = delete;
    UinputDevice& operator=(const UinputDevice&) = delete;

    bool create(const UinputLayout& layout, std::string& error);

    // Writes the frame's events in their order, then SYN_REPORT.
    bool emit(const Frame& frame, std::string& error);

    // /sys/devices/virtual/input/inputN, from UI_GET_SYSNAME: the device's own
    // directory, found without guessing a number.
    const std::string& sysPath() const { return sysPath_; }

    void destroy();

private:
    int fd_ = -1;
    std::string sysPath_;
};

}  // namespace drawlume::e2e
