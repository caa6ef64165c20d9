#pragma once

#include <atomic>
#include <cstdint>

namespace drawlume {

// A message carries exactly one flag; a level is a mask of the flags that pass.
enum DDLogFlag : uint32_t {
    DDLogFlagError = 1,
    DDLogFlagWarning = 2,
    DDLogFlagInfo = 4,
    DDLogFlagDebug = 8,
    DDLogFlagVerbose = 16,
};

inline constexpr uint32_t DDLogLevelAll = 0xFFFFFFFFu;
// Error, warning and info: what the application runs with.
inline constexpr uint32_t DDLogLevelInfo = DDLogFlagError | DDLogFlagWarning | DDLogFlagInfo;

namespace detail {
// Every flag passes until the application sets its level at launch.
inline std::atomic<uint32_t> processLogLevel{DDLogLevelAll};
}  // namespace detail

// The process-wide level. Call sites read it before building any text, so the
// read must stay a single relaxed load.
inline uint32_t ddLogLevel() {
    return detail::processLogLevel.load(std::memory_order_relaxed);
}
inline void setDDLogLevel(uint32_t level) {
    detail::processLogLevel.store(level, std::memory_order_relaxed);
}

}  // namespace drawlume
