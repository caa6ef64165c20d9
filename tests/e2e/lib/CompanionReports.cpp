#include "CompanionReports.hpp"

#include <sstream>

namespace drawlume::e2e {
namespace {

void putLittle16(uint8_t* out, uint16_t value) {
    out[0] = static_cast<uint8_t>(value & 0xff);
    out[1] = static_cast<uint8_t>(value >> 8);
}

bool parseNumber(const std::string& text, long minimum, long maximum, long& value) {
    size_t used = 0;
    try {
        value = std::stol(text, &used, 0);
    } catch (const std::exception&) {
        return false;
    }
    return used == text.size() && value >= minimum && value <= maximum;
}

// Splits "name=value"; a bare word has no value.
bool splitAssignment(const std::string& word, std::string& name, std::string& value) {
    const size_t equals = word.find('=');
    if (equals == std::string::npos) {
        name = word;
        value.clear();
        return false;
    }
    name = word.substr(0, equals);
    value = word.substr(equals + 1);
    return true;
}

bool parsePen(std::istringstream& words, std::vector<uint8_t>& report, std::string& error) {
    PenState pen;
    std::string word;
    while (words >> word) {
        std::string name;
        std::string text;
        long value = 0;
        if (!splitAssignment(word, name, text)) {
            if (name == "tip") {
                pen.tip = true;
            } else if (name == "barrel") {
                pen.barrel = true;
            } else if (name == "invert") {
                pen.invert = true;
            } else if (name == "eraser") {
                pen.eraser = true;
            } else if (name == "range") {
                pen.inRange = true;
            } else {
                error = "unknown pen switch: " + word;
                return false;
            }
            continue;
        }
        const bool tilt = name == "tx" || name == "ty";
        if (!parseNumber(text, tilt ? -90 : 0, tilt ? 90 : (name == "twist" ? 359 : 32767),
                         value)) {
            error = "pen value out of range: " + word;
            return false;
        }
        if (name == "x") {
            pen.x = static_cast<uint16_t>(value);
        } else if (name == "y") {
            pen.y = static_cast<uint16_t>(value);
        } else if (name == "p") {
            pen.pressure = static_cast<uint16_t>(value);
        } else if (name == "tx") {
            pen.tiltX = static_cast<int8_t>(value);
        } else if (name == "ty") {
            pen.tiltY = static_cast<int8_t>(value);
        } else if (name == "twist") {
            pen.twist = static_cast<uint16_t>(value);
        } else {
            error = "unknown pen field: " + word;
            return false;
        }
    }
    const auto bytes = penReport(pen);
    report.assign(bytes.begin(), bytes.end());
    return true;
}

bool parseMouse(std::istringstream& words, std::vector<uint8_t>& report, std::string& error) {
    MouseState mouse;
    std::string word;
    while (words >> word) {
        std::string name;
        std::string text;
        long value = 0;
        if (!splitAssignment(word, name, text)) {
            if (name == "left") {
                mouse.left = true;
            } else if (name == "right") {
                mouse.right = true;
            } else if (name == "middle") {
                mouse.middle = true;
            } else {
                error = "unknown mouse button: " + word;
                return false;
            }
            continue;
        }
        if (!parseNumber(text, -127, 127, value)) {
            error = "mouse value out of range: " + word;
            return false;
        }
        const auto delta = static_cast<int8_t>(value);
        if (name == "dx") {
            mouse.dx = delta;
        } else if (name == "dy") {
            mouse.dy = delta;
        } else if (name == "wheel") {
            mouse.wheel = delta;
        } else if (name == "pan") {
            mouse.pan = delta;
        } else {
            error = "unknown mouse field: " + word;
            return false;
        }
    }
    const auto bytes = mouseReport(mouse);
    report.assign(bytes.begin(), bytes.end());
    return true;
}

bool parseKeys(std::istringstream& words, std::vector<uint8_t>& report, std::string& error) {
    long modifiers = 0;
    std::vector<uint8_t> usages;
    std::string word;
    while (words >> word) {
        long value = 0;
        if (word.rfind("mods=", 0) == 0) {
            if (!parseNumber(word.substr(5), 0, 0xff, modifiers)) {
                error = "bad modifier byte: " + word;
                return false;
            }
        } else if (parseNumber("0x" + word, 0, 0xff, value) && usages.size() < 6) {
            usages.push_back(static_cast<uint8_t>(value));
        } else {
            error = "bad key usage (hex, at most six): " + word;
            return false;
        }
    }
    const auto bytes = keyboardReport(static_cast<uint8_t>(modifiers), usages);
    report.assign(bytes.begin(), bytes.end());
    return true;
}

bool parseRaw(std::istringstream& words, std::vector<uint8_t>& report, std::string& error) {
    report.clear();
    std::string word;
    while (words >> word) {
        long value = 0;
        if (!parseNumber("0x" + word, 0, 0xff, value)) {
            error = "not a hex byte: " + word;
            return false;
        }
        report.push_back(static_cast<uint8_t>(value));
    }
    if (report.empty()) {
        error = "raw report without bytes";
        return false;
    }
    return true;
}

}  // namespace

std::array<uint8_t, kPenReportSize> penReport(const PenState& pen) {
    std::array<uint8_t, kPenReportSize> out{};
    out[0] = 3;
    out[1] = static_cast<uint8_t>((pen.tip ? 0x01 : 0) | (pen.barrel ? 0x02 : 0) |
                                  (pen.invert ? 0x04 : 0) | (pen.eraser ? 0x08 : 0) |
                                  (pen.inRange ? 0x10 : 0));
    putLittle16(&out[2], pen.x);
    putLittle16(&out[4], pen.y);
    putLittle16(&out[6], pen.pressure);
    out[8] = static_cast<uint8_t>(pen.tiltX);
    out[9] = static_cast<uint8_t>(pen.tiltY);
    putLittle16(&out[10], pen.twist);
    return out;
}

std::array<uint8_t, kMouseReportSize> mouseReport(const MouseState& mouse) {
    return {1,
            static_cast<uint8_t>((mouse.left ? 0x01 : 0) | (mouse.right ? 0x02 : 0) |
                                 (mouse.middle ? 0x04 : 0)),
            static_cast<uint8_t>(mouse.dx),
            static_cast<uint8_t>(mouse.dy),
            static_cast<uint8_t>(mouse.wheel),
            static_cast<uint8_t>(mouse.pan)};
}

std::array<uint8_t, kKeyboardReportSize> keyboardReport(uint8_t modifiers,
                                                        const std::vector<uint8_t>& usages) {
    std::array<uint8_t, kKeyboardReportSize> out{};
    out[0] = 2;
    out[1] = modifiers;
    for (size_t i = 0; i < usages.size() && i < 6; ++i) {
        out[3 + i] = usages[i];
    }
    return out;
}

bool parseReportLine(const std::string& line, std::vector<uint8_t>& report, std::string& error) {
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    if (kind == "pen") {
        return parsePen(words, report, error);
    }
    if (kind == "mouse") {
        return parseMouse(words, report, error);
    }
    if (kind == "keys") {
        return parseKeys(words, report, error);
    }
    if (kind == "raw") {
        return parseRaw(words, report, error);
    }
    error = "unknown report kind: " + kind;
    return false;
}

}  // namespace drawlume::e2e
