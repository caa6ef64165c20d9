#include "CompanionReports.hpp"

#include <initializer_list>
#include <sstream>

namespace drawlume::e2e {
namespace {

bool parseNumber(const std::string& text, long minimum, long maximum, long& value) {
    size_t used = 0;
    try {
        value = std::stol(text, &used, 0);
    } catch (const std::exception&) {
        return false;
    }
    return used == text.size() && value >= minimum && value <= maximum;
}

// One line's words: bare switch words ("tip", "left") and "name=value" fields, each
// with its range. What is not named is left as it was.
struct Switch {
    const char* name;
    bool* target;
};
struct Field {
    const char* name;
    long minimum;
    long maximum;
    long* target;
};

bool parseWords(std::istringstream& words, const char* kind, std::initializer_list<Switch> switches,
                std::initializer_list<Field> fields, std::string& error) {
    std::string word;
    while (words >> word) {
        const size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        bool known = false;
        if (equals == std::string::npos) {
            for (const Switch& entry : switches) {
                if (name == entry.name) {
                    *entry.target = true;
                    known = true;
                }
            }
        } else {
            for (const Field& entry : fields) {
                if (name != entry.name) {
                    continue;
                }
                if (!parseNumber(word.substr(equals + 1), entry.minimum, entry.maximum,
                                 *entry.target)) {
                    error = std::string(kind) + " value out of range: " + word;
                    return false;
                }
                known = true;
            }
        }
        if (!known) {
            error = std::string("unknown ") + kind + " word: " + word;
            return false;
        }
    }
    return true;
}

bool parsePen(std::istringstream& words, std::vector<uint8_t>& report, std::string& error) {
    PenState pen;
    long x = 0;
    long y = 0;
    long pressure = 0;
    long tiltX = 0;
    long tiltY = 0;
    long twist = 0;
    if (!parseWords(words, "pen",
                    {{"tip", &pen.tip},
                     {"barrel", &pen.barrel},
                     {"invert", &pen.invert},
                     {"eraser", &pen.eraser},
                     {"range", &pen.inRange}},
                    {{"x", 0, 32767, &x},
                     {"y", 0, 32767, &y},
                     {"p", 0, 32767, &pressure},
                     {"tx", -90, 90, &tiltX},
                     {"ty", -90, 90, &tiltY},
                     {"twist", 0, 359, &twist}},
                    error)) {
        return false;
    }
    pen.x = static_cast<uint16_t>(x);
    pen.y = static_cast<uint16_t>(y);
    pen.pressure = static_cast<uint16_t>(pressure);
    pen.tiltX = static_cast<int8_t>(tiltX);
    pen.tiltY = static_cast<int8_t>(tiltY);
    pen.twist = static_cast<uint16_t>(twist);
    const auto bytes = penReport(pen);
    report.assign(bytes.begin(), bytes.end());
    return true;
}

bool parseMouse(std::istringstream& words, std::vector<uint8_t>& report, std::string& error) {
    MouseState mouse;
    long dx = 0;
    long dy = 0;
    long wheel = 0;
    long pan = 0;
    if (!parseWords(words, "mouse",
                    {{"left", &mouse.left}, {"right", &mouse.right}, {"middle", &mouse.middle}},
                    {{"dx", -127, 127, &dx},
                     {"dy", -127, 127, &dy},
                     {"wheel", -127, 127, &wheel},
                     {"pan", -127, 127, &pan}},
                    error)) {
        return false;
    }
    mouse.dx = static_cast<int8_t>(dx);
    mouse.dy = static_cast<int8_t>(dy);
    mouse.wheel = static_cast<int8_t>(wheel);
    mouse.pan = static_cast<int8_t>(pan);
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

std::array<uint8_t, kKeyboardReportSize> keyboardReport(uint8_t modifiers,
                                                        const std::vector<uint8_t>& usages) {
    companion::KeyboardReport keyboard;
    keyboard.modifiers = modifiers;
    for (size_t i = 0; i < usages.size() && i < keyboard.keys.size(); ++i) {
        keyboard.keys[i] = usages[i];
    }
    return companion::encode(keyboard);
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
