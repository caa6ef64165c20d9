#pragma once

#include <string>
#include <vector>

#include "util/FileError.hpp"

namespace drawlume {

// "Start at login": the user's XDG autostart entry for the agent, which the desktop session
// reads when the user logs in. The entry itself is the setting, so a choice made in the
// desktop's own autostart settings shows here as well. Off until the user switches it on.
class LoginItem {
public:
    // `command` is the program and its arguments that the session starts.
    LoginItem(std::string entryPath, std::vector<std::string> command);

    // $XDG_CONFIG_HOME/autostart/drawlume-agent.desktop, $XDG_CONFIG_HOME defaulting to
    // ~/.config; empty when no home folder can be found.
    static std::string defaultEntryPath();

    // The entry exists, can be read and neither hides itself (Hidden=true) nor is turned off
    // (X-GNOME-Autostart-enabled=false).
    bool isEnabled() const;

    // Writes the entry, atomically, or removes it. Switching off what is already off succeeds.
    // Failures are logged and returned; the entry is then as it was.
    FileError setEnabled(bool enabled);

    const std::string& entryPath() const { return entryPath_; }

    // The text of the entry that switching on writes.
    std::string entryText() const;

private:
    std::string entryPath_;
    std::vector<std::string> command_;
};

// The value of a desktop entry's Exec key that runs `command` as given: arguments with
// reserved characters are quoted, field codes and backslashes escaped.
std::string desktopEntryExec(const std::vector<std::string>& command);

}  // namespace drawlume
