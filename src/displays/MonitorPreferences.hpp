#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "displays/MonitorInfo.hpp"
#include "displays/ScreenList.hpp"
#include "displays/TargetScreenFrameProvider.hpp"
#include "settings/UserDefaults.hpp"

namespace drawlume {

// The displays, in the screen list's order, the primary first; empty when the
// list is. Logs each screen's frame at debug level.
std::vector<MonitorInfo> getAvailableMonitors(const ScreenList& screens);
// The same over the shared preferences' screen list.
std::vector<MonitorInfo> getAvailableMonitors();

// The display the pen is mapped onto: its position in the screen list,
// remembered across launches, and its rectangle in event coordinates, cached
// for the report path. Main thread only.
class MonitorPreferences final : public TargetScreenFrameProvider {
public:
    MonitorPreferences(std::shared_ptr<UserDefaults> defaults,
                       std::shared_ptr<const ScreenList> screens);

    // The instance of the process. The application configures it once at
    // launch, before anything reads it; until then it sees no screen and
    // keeps the choice in memory.
    static MonitorPreferences& shared();
    // False, changing nothing, when the shared instance was already in use.
    static bool configureShared(std::shared_ptr<UserDefaults> defaults,
                                std::shared_ptr<const ScreenList> screens);

    static constexpr std::string_view selectedMonitorKey = "selectedMonitorIndex";

    // The stored position; 0 when nothing is stored.
    int64_t selectedMonitorIndex() const;
    // Stores the position at once. The cache is the caller's to drop.
    void setSelectedMonitorIndex(int64_t index);

    // The chosen display. A stored position outside the list selects the
    // primary, stores 0 and drops the cache; with no screen at all it is
    // "Monitor 1" with a zero frame.
    MonitorInfo selectedMonitor();

    // The chosen display's frame with the origin at the top-left of the
    // primary and y downward. Once computed it is kept, and screen changes go
    // unseen, until someone drops the cache.
    Rect targetScreenFrame() override;

    const std::optional<Rect>& cachedScreenFrame() const { return cachedScreenFrame_; }
    // Writers drop the cache (nothing) after choosing a display and before
    // reading a changed screen list.
    void setCachedScreenFrame(std::optional<Rect> frame) { cachedScreenFrame_ = frame; }

    const ScreenList& screenList() const { return *screens_; }

private:
    std::shared_ptr<UserDefaults> defaults_;
    std::shared_ptr<const ScreenList> screens_;
    std::optional<Rect> cachedScreenFrame_;
};

}  // namespace drawlume
