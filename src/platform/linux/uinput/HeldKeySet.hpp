#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include <linux/input-event-codes.h>

namespace drawlume {

// The key and button codes a device holds down. One thread writes; the exit
// path may read from a signal handler, which is why every word is atomic.
class HeldKeySet {
public:
    bool contains(uint16_t code) const noexcept {
        if (code > KEY_MAX) {
            return false;
        }
        return (words_[code / 64].load(std::memory_order_relaxed) >> (code % 64) & 1u) != 0;
    }

    void set(uint16_t code, bool held) noexcept {
        if (code > KEY_MAX) {
            return;
        }
        const uint64_t bit = uint64_t{1} << (code % 64);
        std::atomic<uint64_t>& word = words_[code / 64];
        const uint64_t old = word.load(std::memory_order_relaxed);
        word.store(held ? (old | bit) : (old & ~bit), std::memory_order_relaxed);
    }

    bool empty() const noexcept {
        for (const std::atomic<uint64_t>& word : words_) {
            if (word.load(std::memory_order_relaxed) != 0) {
                return false;
            }
        }
        return true;
    }

    // Calls visit(code) for every held code, in ascending order.
    template <typename Visit>
    void forEach(Visit&& visit) const {
        for (size_t index = 0; index < words_.size(); ++index) {
            uint64_t bits = words_[index].load(std::memory_order_relaxed);
            while (bits != 0) {
                const int bit = __builtin_ctzll(bits);
                visit(static_cast<uint16_t>(index * 64 + static_cast<size_t>(bit)));
                bits &= bits - 1;
            }
        }
    }

private:
    std::array<std::atomic<uint64_t>, (KEY_MAX + 64) / 64> words_{};
};

}  // namespace drawlume
