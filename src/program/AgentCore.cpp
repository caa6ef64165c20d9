#include "program/AgentCore.hpp"

#include <utility>

#include "app/DebugLogCollector.hpp"
#include "app/TabletViewModel.hpp"
#include "devices/TabletDeviceManager.hpp"
#include "displays/MonitorPreferences.hpp"
#include "events/TranslationEnvironment.hpp"
#include "localization/AppLocalization.hpp"
#include "localization/StringTableCatalog.hpp"
#include "localization/SystemLanguages.hpp"

namespace drawlume {

AgentCore::AgentCore(AgentPlatform platform)
    : platform_(std::move(platform)),
      hidSystemParameters_(*platform_.defaults, platform_.desktopScalesPointer),
      localization_(std::make_unique<AppLocalization>(
          platform_.defaults, StringTableCatalog::embedded(),
          [] { return preferredLanguages(LocaleEnvironment::current()); })),
      monitorPreferences_(
          std::make_unique<MonitorPreferences>(platform_.defaults, platform_.screens)),
      debugLogCollector_(std::make_unique<DebugLogCollector>(&platform_.mainRunLoop)) {}

// The model goes before the collector it registered its callbacks with.
AgentCore::~AgentCore() = default;

std::shared_ptr<TabletViewModel> AgentCore::makeViewModel() {
    return TabletViewModel::create(TabletViewModel::Services{
        platform_.mainRunLoop, platform_.systemEvents, platform_.accessibilityTrust,
        monitorPreferences(), debugLogCollector(),
        [this](const MonitorInfo& monitor) { return monitor.displayName(localization()); },
        [this](std::weak_ptr<TabletDeviceOwner> owner) {
            const TranslationEnvironment environment{
                platform_.eventSink, *platform_.defaults, *platform_.screens,  monitorPreferences(),
                platform_.clocks,    debugLogCollector(), hidSystemParameters_};
            return TabletDeviceManager::create(
                std::move(owner),
                TabletDeviceManager::Services{
                    platform_.hidHost, platform_.mainRunLoop, platform_.alerts,
                    [this](std::string_view key, std::string_view fallback) {
                        return localization().localized(key, fallback);
                    },
                    platform_.heldInputReleaser},
                environment);
        },
        platform_.eventOutput});
}

}  // namespace drawlume
