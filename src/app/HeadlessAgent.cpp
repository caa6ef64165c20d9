#include "app/HeadlessAgent.hpp"

#include <utility>

namespace drawlume {

Rect PrimaryScreenFrame::targetScreenFrame() {
    const auto screens = screens_.screens();
    if (screens.empty()) {
        return {};
    }
    // The primary display's frame has its origin at (0, 0) in both conventions.
    return Rect{{0, 0}, screens.front().frame.size};
}

HeadlessAgent::HeadlessAgent(Platform platform, std::vector<ScreenDescription> screens)
    : platform_(platform),
      screenList_(std::move(screens)),
      targetFrame_(screenList_),
      debugLogCollector_(&platform.mainRunLoop),
      hidSystemParameters_(userDefaults_),
      owner_(std::make_shared<FirstDeviceOwner>(platform.mainRunLoop)) {}

HeadlessAgent::~HeadlessAgent() {
    stop();
}

std::vector<ScreenDescription> HeadlessAgent::defaultScreens() {
    return {{"Display", Rect{{0, 0}, {1920, 1080}}}};
}

void HeadlessAgent::start() {
    if (deviceManager_) {
        return;
    }
    const TranslationEnvironment environment{
        platform_.eventSink, userDefaults_,      screenList_,         targetFrame_,
        platform_.clocks,    debugLogCollector_, hidSystemParameters_};
    deviceManager_ = TabletDeviceManager::create(
        owner_,
        TabletDeviceManager::Services{platform_.hidHost, platform_.mainRunLoop, platform_.alerts,
                                      nullptr, platform_.heldInputReleaser},
        environment);
    owner_->setDeviceManager(deviceManager_);
    deviceManager_->start();
}

void HeadlessAgent::stop() {
    if (!deviceManager_) {
        return;
    }
    deviceManager_->stop();
    deviceManager_.reset();
}

}  // namespace drawlume
