#include "logging/UtcTimestamp.hpp"

#include <cstring>
#include <ctime>

namespace drawlume {

namespace {

struct SplitTime {
    long long seconds;
    int millis;
};

SplitTime split(UtcTimestamp::TimePoint time) {
    const long long millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    long long seconds = millis / 1000;
    long long rest = millis % 1000;
    if (rest < 0) {
        rest += 1000;
        seconds -= 1;
    }
    return SplitTime{seconds, static_cast<int>(rest)};
}

std::tm utcFields(long long seconds) {
    const auto value = static_cast<std::time_t>(seconds);
    std::tm fields{};
    ::gmtime_r(&value, &fields);
    return fields;
}

void putDigits(char* out, int value, int width) {
    for (int i = width - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

bool readDigits(std::string_view text, size_t at, int width, int& value) {
    value = 0;
    for (int i = 0; i < width; ++i) {
        const char c = text[at + static_cast<size_t>(i)];
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    return true;
}

}  // namespace

void UtcTimestamp::formatLineStamp(TimePoint time, char* out) {
    const SplitTime when = split(time);
    if (!haveCache_ || when.seconds != cachedSecond_) {
        const std::tm fields = utcFields(when.seconds);
        char* p = cachedPrefix_;
        putDigits(p, fields.tm_year + 1900, 4);
        p[4] = '/';
        putDigits(p + 5, fields.tm_mon + 1, 2);
        p[7] = '/';
        putDigits(p + 8, fields.tm_mday, 2);
        p[10] = ' ';
        putDigits(p + 11, fields.tm_hour, 2);
        p[13] = ':';
        putDigits(p + 14, fields.tm_min, 2);
        p[16] = ':';
        putDigits(p + 17, fields.tm_sec, 2);
        p[19] = ':';
        cachedSecond_ = when.seconds;
        haveCache_ = true;
    }
    std::memcpy(out, cachedPrefix_, sizeof cachedPrefix_);
    putDigits(out + sizeof cachedPrefix_, when.millis, 3);
}

std::string UtcTimestamp::fileNameStamp(TimePoint time) {
    const SplitTime when = split(time);
    const std::tm f = utcFields(when.seconds);
    std::string text = "0000-00-00--00-00-00-000";
    putDigits(&text[0], f.tm_year + 1900, 4);
    putDigits(&text[5], f.tm_mon + 1, 2);
    putDigits(&text[8], f.tm_mday, 2);
    putDigits(&text[12], f.tm_hour, 2);
    putDigits(&text[15], f.tm_min, 2);
    putDigits(&text[18], f.tm_sec, 2);
    putDigits(&text[21], when.millis, 3);
    return text;
}

std::optional<UtcTimestamp::TimePoint> UtcTimestamp::parseFileNameStamp(std::string_view text) {
    if (text.size() < kFileStampLength) {
        return std::nullopt;
    }
    // yyyy-MM-dd--HH-mm-ss-SSS
    static constexpr size_t kDashes[] = {4, 7, 10, 11, 14, 17, 20};
    for (size_t at : kDashes) {
        if (text[at] != '-') {
            return std::nullopt;
        }
    }
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millis = 0;
    if (!readDigits(text, 0, 4, year) || !readDigits(text, 5, 2, month) ||
        !readDigits(text, 8, 2, day) || !readDigits(text, 12, 2, hour) ||
        !readDigits(text, 15, 2, minute) || !readDigits(text, 18, 2, second) ||
        !readDigits(text, 21, 3, millis)) {
        return std::nullopt;
    }
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) {
        return std::nullopt;
    }
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    const std::time_t seconds = ::timegm(&fields);
    return std::chrono::system_clock::from_time_t(seconds) + std::chrono::milliseconds(millis);
}

}  // namespace drawlume
