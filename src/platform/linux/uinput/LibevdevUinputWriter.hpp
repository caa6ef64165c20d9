#pragma once

#include <array>
#include <memory>
#include <string>

#include "platform/linux/uinput/UinputWriter.hpp"

struct libevdev_uinput;

namespace drawlume {

// The three uinput devices, created through libevdev from their layouts and
// destroyed with this object (the kernel then releases whatever they held).
class LibevdevUinputWriter final : public UinputWriter {
public:
    struct Result {
        std::unique_ptr<LibevdevUinputWriter> writer;  // null on failure
        int error = 0;                                 // errno of the failed step
        std::string failure;                           // what failed, for the log
    };

    // Opens the uinput node once per device (O_WRONLY | O_NONBLOCK | O_CLOEXEC)
    // and creates the pen, the pointer and the keyboard. All or nothing.
    static Result create(const std::string& uinputPath = "/dev/uinput",
                         PointerMotion motion = PointerMotion::absolute);

    ~LibevdevUinputWriter() override;
    LibevdevUinputWriter(const LibevdevUinputWriter&) = delete;
    LibevdevUinputWriter& operator=(const LibevdevUinputWriter&) = delete;

    int writeFrame(UinputDeviceRole role, std::span<const EvdevEvent> frame) noexcept override;

    // The event node of a device, such as /dev/input/event7; empty if unknown.
    const std::string& devnode(UinputDeviceRole role) const;

private:
    struct Device {
        int fd = -1;
        libevdev_uinput* uinput = nullptr;
        std::string devnode;
    };

    LibevdevUinputWriter() = default;
    void destroy();

    std::array<Device, kUinputDeviceRoleCount> devices_;
};

}  // namespace drawlume
