#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace drawlume {

// The two UTC time formats of the log files, whatever the machine's time zone.
class UtcTimestamp {
public:
    using TimePoint = std::chrono::system_clock::time_point;

    // "yyyy/MM/dd HH:mm:ss:SSS", as each line of a log file starts.
    static constexpr size_t kLineStampLength = 23;
    // "yyyy-MM-dd--HH-mm-ss-SSS", as the creation time in a log file's name.
    static constexpr size_t kFileStampLength = 24;

    // Writes kLineStampLength characters. Lines of the same second reuse the
    // date and time already formatted, so a burst of lines formats it once.
    void formatLineStamp(TimePoint time, char* out);

    static std::string fileNameStamp(TimePoint time);
    static std::optional<TimePoint> parseFileNameStamp(std::string_view text);

private:
    long long cachedSecond_ = 0;
    bool haveCache_ = false;
    char cachedPrefix_[20] = {};  // "yyyy/MM/dd HH:mm:ss:"
};

}  // namespace drawlume
