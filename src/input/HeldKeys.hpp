#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace drawlume {

// The key usages held in one keyboard report: at most six, in ascending
// order, each once. Ascending order is the order in which the keys that one
// report presses (or releases) are posted.
class HeldKeys {
public:
    static constexpr size_t kCapacity = 6;

    // Adds a usage; 0 (no key) and repeats are ignored.
    void insert(uint8_t usage) {
        if (usage == 0 || contains(usage) || count_ == kCapacity) {
            return;
        }
        const auto position = std::upper_bound(usages_.begin(), usages_.begin() + count_, usage);
        std::copy_backward(position, usages_.begin() + count_, usages_.begin() + count_ + 1);
        *position = usage;
        ++count_;
    }

    bool contains(uint8_t usage) const {
        return std::binary_search(usages_.begin(), usages_.begin() + count_, usage);
    }

    const uint8_t* begin() const { return usages_.data(); }
    const uint8_t* end() const { return usages_.data() + count_; }
    bool empty() const { return count_ == 0; }

private:
    std::array<uint8_t, kCapacity> usages_{};
    size_t count_ = 0;
};

}  // namespace drawlume
