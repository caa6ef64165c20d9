#include "program/LoginItem.hpp"

#include <cerrno>
#include <string_view>
#include <utility>

#include <unistd.h>

#include "logging/LogMacros.hpp"
#include "util/AtomicFile.hpp"
#include "util/UserDirectories.hpp"

namespace drawlume {

namespace {

constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/LoginItem";

// Characters that make the desktop entry rules treat an Exec argument as needing quotes.
constexpr std::string_view kReservedInExec = " \t\n\"'\\><~|&;$*?#()`";

std::string quoteExecArgument(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(kReservedInExec) == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

// The escapes of every string value, applied after the quoting: a backslash of the quoting
// becomes two in the file.
std::string escapeStringValue(const std::string& value) {
    std::string escaped;
    for (const char c : value) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\t':
                escaped += "\\t";
                break;
            case '\r':
                escaped += "\\r";
                break;
            default:
                escaped += c;
                break;
        }
    }
    return escaped;
}

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Whether the main group of an entry's text turns it off.
bool turnsItselfOff(std::string_view text) {
    bool inMainGroup = false;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const size_t equals = line.find('=');
        if (!inMainGroup || equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = trimmed(line.substr(0, equals));
        const std::string_view value = trimmed(line.substr(equals + 1));
        if ((key == "Hidden" && value == "true") ||
            (key == "X-GNOME-Autostart-enabled" && value == "false")) {
            return true;
        }
    }
    return false;
}

}  // namespace

LoginItem::LoginItem(std::string entryPath, std::vector<std::string> command)
    : entryPath_(std::move(entryPath)), command_(std::move(command)) {}

std::string LoginItem::defaultEntryPath() {
    const std::string config = xdgBaseDirectory("XDG_CONFIG_HOME", ".config");
    return config.empty() ? std::string() : config + "/autostart/drawlume-agent.desktop";
}

bool LoginItem::isEnabled() const {
    std::string text;
    if (entryPath_.empty() || readWholeFile(entryPath_, text).failed()) {
        return false;
    }
    return !turnsItselfOff(text);
}

std::string LoginItem::entryText() const {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Drawlume\n"
           "Comment=Use a phone or tablet as a pen tablet, mouse and keyboard\n"
           "Exec=" +
           desktopEntryExec(command_) +
           "\n"
           "Icon=drawlume-agent\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

FileError LoginItem::setEnabled(bool enabled) {
    FileError error;
    if (entryPath_.empty()) {
        error = {ENOENT, "open"};
    } else if (enabled && command_.empty()) {
        error = {EINVAL, "write"};
    } else if (enabled) {
        error = writeFileAtomically(entryPath_, entryText());
    } else if (::unlink(entryPath_.c_str()) != 0 && errno != ENOENT) {
        error = {errno, "unlink"};
    }
    if (error.failed()) {
        DDLogWarn("setEnabled(_:)",
                  strf("Could not switch start at login %s (%s): %s", enabled ? "on" : "off",
                       entryPath_.empty() ? "no home folder" : entryPath_.c_str(),
                       error.describe().c_str()));
    } else {
        DDLogInfo("setEnabled(_:)", strf("Start at login switched %s: %s", enabled ? "on" : "off",
                                         entryPath_.c_str()));
    }
    return error;
}

std::string desktopEntryExec(const std::vector<std::string>& command) {
    std::string exec;
    for (const std::string& argument : command) {
        if (!exec.empty()) {
            exec += ' ';
        }
        for (const char c : quoteExecArgument(argument)) {
            exec += c;
            if (c == '%') {
                exec += '%';
            }
        }
    }
    return escapeStringValue(exec);
}

}  // namespace drawlume
