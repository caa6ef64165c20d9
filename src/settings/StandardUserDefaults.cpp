#include "settings/StandardUserDefaults.hpp"

#include "logging/LogMacros.hpp"
#include "settings/JsonFileUserDefaults.hpp"
#include "util/UserDirectories.hpp"

namespace drawlume {

namespace {
constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/StandardUserDefaults";
}  // namespace

std::string defaultSettingsFilePath() {
    const std::string config = xdgBaseDirectory("XDG_CONFIG_HOME", ".config");
    return config.empty() ? std::string() : config + "/drawlume-agent/defaults.json";
}

std::shared_ptr<UserDefaults> makeStandardUserDefaults() {
    const std::string path = defaultSettingsFilePath();
    if (path.empty()) {
        DDLogWarn("makeStandardUserDefaults()",
                  "No home folder to keep the settings in; settings last until the program ends");
        return std::make_shared<InMemoryUserDefaults>();
    }
    return std::make_shared<JsonFileUserDefaults>(path);
}

}  // namespace drawlume
