#pragma once

#include <cstdint>
#include <string>

namespace drawlume {

// Where the translation hands its debug lines and events-per-second figure
// for the live debug view. The view's collector implements it; the
// translation sits below the application and only sees this.
class DebugLines {
public:
    virtual ~DebugLines() = default;
    // Checked on every report, before any text is built.
    virtual bool isEnabled() const = 0;
    virtual void addLog(std::string message) = 0;
    virtual void updateEventsPerSecond(int64_t eventsPerSecond) = 0;
};

}  // namespace drawlume
