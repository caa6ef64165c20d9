#pragma once

#include <cstdint>
#include <span>

namespace drawlume {

// The three virtual input devices the agent posts through. Each has its own
// capabilities so that udev and libinput classify it as what it is.
enum class UinputDeviceRole : uint8_t { pen = 0, pointer = 1, keyboard = 2 };

inline constexpr int kUinputDeviceRoleCount = 3;

// How the pointer device moves the pointer. Absolute positions need to know
// where the pointer is, which only an X11 session tells; elsewhere relative
// counts let the desktop move the pointer from wherever the user's own mouse
// left it.
enum class PointerMotion : uint8_t { absolute, relative };

// One evdev event without its time stamp; the kernel stamps what uinput receives.
// No member initialisers: a frame's unused slots stay unwritten, since on the
// report path every byte cleared is time.
struct EvdevEvent {
    uint16_t type;
    uint16_t code;
    int32_t value;
    bool operator==(const EvdevEvent&) const = default;
};

// Where finished frames go: the kernel's uinput devices, or a recorder in tests.
class UinputWriter {
public:
    virtual ~UinputWriter() = default;

    // Writes one whole frame, its closing SYN_REPORT included, to the device
    // of the role. Returns 0, or the errno of the failed write. Implementations
    // that reach the kernel use nothing but write(2) here, so that the exit
    // path may call this from a signal handler.
    virtual int writeFrame(UinputDeviceRole role, std::span<const EvdevEvent> frame) noexcept = 0;
};

}  // namespace drawlume
