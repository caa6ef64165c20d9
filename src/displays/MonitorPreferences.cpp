#include "displays/MonitorPreferences.hpp"

#include "logging/LogMacros.hpp"
#include "settings/DefaultsReading.hpp"

namespace drawlume {

namespace {

constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/MonitorPreferences";

std::unique_ptr<MonitorPreferences>& sharedInstance() {
    static std::unique_ptr<MonitorPreferences> instance;
    return instance;
}

}  // namespace

std::vector<MonitorInfo> getAvailableMonitors(const ScreenList& screens) {
    std::vector<MonitorInfo> monitors;
    const std::span<const ScreenDescription> list = screens.screens();
    monitors.reserve(list.size());
    for (size_t index = 0; index < list.size(); ++index) {
        const Rect& frame = list[index].frame;
        DDLogDebug("getAvailableMonitors()",
                   strf("Monitor %zu: origin=(%lf, %lf), size=(%lf \u00d7 %lf)", index + 1,
                        frame.origin.x, frame.origin.y, frame.width(), frame.height()));
        const auto id = static_cast<int64_t>(index);
        monitors.push_back(MonitorInfo{id, monitorName(id), frame});
    }
    return monitors;
}

std::vector<MonitorInfo> getAvailableMonitors() {
    return getAvailableMonitors(MonitorPreferences::shared().screenList());
}

MonitorPreferences::MonitorPreferences(std::shared_ptr<UserDefaults> defaults,
                                       std::shared_ptr<const ScreenList> screens)
    : defaults_(std::move(defaults)), screens_(std::move(screens)) {}

MonitorPreferences& MonitorPreferences::shared() {
    std::unique_ptr<MonitorPreferences>& instance = sharedInstance();
    if (!instance) {
        instance = std::make_unique<MonitorPreferences>(std::make_shared<InMemoryUserDefaults>(),
                                                        std::make_shared<FixedScreenList>());
    }
    return *instance;
}

bool MonitorPreferences::configureShared(std::shared_ptr<UserDefaults> defaults,
                                         std::shared_ptr<const ScreenList> screens) {
    std::unique_ptr<MonitorPreferences>& instance = sharedInstance();
    if (instance) {
        DDLogError("configureShared(_:screens:)",
                   "The display preferences were configured after their first use; keeping the "
                   "first");
        return false;
    }
    instance = std::make_unique<MonitorPreferences>(std::move(defaults), std::move(screens));
    return true;
}

int64_t MonitorPreferences::selectedMonitorIndex() const {
    return integerForKey(*defaults_, selectedMonitorKey);
}

void MonitorPreferences::setSelectedMonitorIndex(int64_t index) {
    defaults_->set(selectedMonitorKey, index);
}

MonitorInfo MonitorPreferences::selectedMonitor() {
    const std::vector<MonitorInfo> monitors = getAvailableMonitors(*screens_);
    if (monitors.empty()) {
        return MonitorInfo{0, monitorName(0), Rect{}};
    }
    const int64_t index = selectedMonitorIndex();
    if (index >= 0 && index < static_cast<int64_t>(monitors.size())) {
        return monitors[static_cast<size_t>(index)];
    }
    setSelectedMonitorIndex(0);
    cachedScreenFrame_.reset();
    return monitors.front();
}

Rect MonitorPreferences::targetScreenFrame() {
    if (cachedScreenFrame_) {
        return *cachedScreenFrame_;
    }
    const std::span<const ScreenDescription> screens = screens_->screens();
    const Rect primary = screens.empty() ? Rect{} : screens.front().frame;
    const Rect result = eventFrame(selectedMonitor().frame, primary);
    cachedScreenFrame_ = result;
    return result;
}

}  // namespace drawlume
