#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace drawlume::fuzzing {

// A finding: libFuzzer reports the abort with the input that caused it.
inline void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Reads the fuzzer's bytes front to back; past their end every read is 0.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool empty() const { return position_ >= size_; }
    uint8_t byte() { return empty() ? 0 : data_[position_++]; }
    uint16_t word() { return static_cast<uint16_t>(byte() | (byte() << 8)); }
    int16_t int16() { return static_cast<int16_t>(word()); }
    // Up to `count` bytes, fewer at the end of the input.
    std::vector<uint8_t> bytes(size_t count) {
        const size_t available = std::min(count, size_ - std::min(size_, position_));
        std::vector<uint8_t> taken(data_ + position_, data_ + position_ + available);
        position_ += available;
        return taken;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

}  // namespace drawlume::fuzzing
