#include "EventCodeNames.hpp"

#include <map>
#include <string_view>
#include <utility>

namespace drawlume::e2e {
namespace {

struct CodeEntry {
    const char* name;
    uint16_t type;
    uint16_t code;
};

// Generated at configure time; holds every numeric KEY_, BTN_, REL_, ABS_, MSC_ and
// SYN_ definition in header order.
constexpr CodeEntry kCodes[] = {
#include "EventCodeTable.inc"
};

struct Tables {
    std::map<std::pair<uint16_t, uint16_t>, std::string> names;
    std::map<std::string, std::pair<uint16_t, uint16_t>, std::less<>> codes;

    Tables() {
        // Where the header gives a code two names (BTN_MOUSE and BTN_LEFT, BTN_DIGI and
        // BTN_TOOL_PEN), the later, narrower one is the one printed.
        for (const CodeEntry& entry : kCodes) {
            names[{entry.type, entry.code}] = entry.name;
            codes[entry.name] = {entry.type, entry.code};
        }
    }
};

const Tables& tables() {
    static const Tables instance;
    return instance;
}

}  // namespace

std::string eventCodeName(uint16_t type, uint16_t code) {
    const auto found = tables().names.find({type, code});
    if (found != tables().names.end()) {
        return found->second;
    }
    return std::to_string(type) + ":" + std::to_string(code);
}

bool eventCodeFromName(const std::string& name, uint16_t& type, uint16_t& code) {
    const auto found = tables().codes.find(name);
    if (found != tables().codes.end()) {
        type = found->second.first;
        code = found->second.second;
        return true;
    }
    const size_t colon = name.find(':');
    if (colon == std::string::npos) {
        return false;
    }
    try {
        size_t usedType = 0;
        size_t usedCode = 0;
        const unsigned long numericType = std::stoul(name.substr(0, colon), &usedType, 0);
        const unsigned long numericCode = std::stoul(name.substr(colon + 1), &usedCode, 0);
        if (usedType != colon || usedCode != name.size() - colon - 1 || numericType > 0x1f ||
            numericCode > 0x2ff) {
            return false;
        }
        type = static_cast<uint16_t>(numericType);
        code = static_cast<uint16_t>(numericCode);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace drawlume::e2e
