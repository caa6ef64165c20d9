#pragma once

#include <string>

namespace drawlume {

// Why posting is or is not permitted. The main window and the log explain
// each reason differently; the fix for each is different too.
enum class AccessibilityTrustReason {
    granted,              // events can be posted and the companion can be read
    outputMissing,        // the event output device does not exist (module not loaded)
    outputDenied,         // the event output device exists but this user may not open it
    outputFailed,         // the event output device could not be opened for another reason
    outputUnusable,       // it opens, but the virtual input devices cannot be created through it
    companionUnreadable,  // posting works, but the companion's device node cannot be read
};

// The answer to "may this process post input events", with what the user
// needs to know to change it.
struct AccessibilityTrustState {
    // Posting is permitted. True also for companionUnreadable: events can be
    // posted, only the companion's reports cannot be read yet.
    bool trusted = false;
    AccessibilityTrustReason reason = AccessibilityTrustReason::outputMissing;
    // The device node the reason is about, such as "/dev/uinput".
    std::string path;
    // errno of the failed open or access check; 0 when none failed.
    int error = 0;
    // The group that owns `path`, when that group could grant access; empty
    // when the node belongs to root's group or cannot be examined.
    std::string group;

    bool operator==(const AccessibilityTrustState&) const = default;
};

// The permission query of the platform: answers at once, shows no prompt.
class AccessibilityTrust {
public:
    virtual ~AccessibilityTrust() = default;
    virtual AccessibilityTrustState check() = 0;
};

// One English sentence or two for the log and the terminal: what is wrong and
// how to fix it. The windows build their own texts from the reason.
std::string describeAccessibilityTrust(const AccessibilityTrustState& state);

// Writes that description to the log: info when everything is in place,
// warning otherwise.
void logAccessibilityTrust(const AccessibilityTrustState& state);

}  // namespace drawlume
