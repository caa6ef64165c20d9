#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace drawlume {

// A macOS virtual key code (the vocabulary of keyboard records) and the Linux
// key at the same position on the keyboard. uinput sends positions, not
// characters: the desktop's keyboard layout turns them into characters, as it
// does for a hardware keyboard.
struct MacKeyMapping {
    uint16_t macKeyCode = 0;
    uint16_t linuxKey = 0;  // a KEY_ code
};

// Every mapped key, in ascending macOS key code.
std::span<const MacKeyMapping> macKeyMappings();

// The Linux key for a macOS virtual key code; nothing for a code without one.
std::optional<uint16_t> linuxKeyForMacKeyCode(uint16_t macKeyCode);

}  // namespace drawlume
