#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Deadline.hpp"

namespace drawlume::e2e {

// Reads a hidraw node: one report a read, the report ID first.
class HidrawReader {
public:
    HidrawReader() = default;
    ~HidrawReader();
    HidrawReader(const HidrawReader&) = delete;
    HidrawReader& operator=(const HidrawReader&) = delete;

    bool open(const std::string& node, std::string& error);
    int fd() const { return fd_; }

    // The next report; false with `error` on time-out or failure.
    bool readReport(const Deadline& deadline, std::vector<uint8_t>& report, std::string& error);

    // Waits until the node reports the device gone (POLLHUP/POLLERR or EIO/ENODEV on read).
    bool waitForHangUp(const Deadline& deadline, std::string& error);

private:
    int fd_ = -1;
    std::string node_;
};

}  // namespace drawlume::e2e
