#pragma once

#include <memory>
#include <string>

#include "settings/UserDefaults.hpp"

namespace drawlume {

// $XDG_CONFIG_HOME/drawlume-agent/defaults.json, $XDG_CONFIG_HOME defaulting
// to ~/.config; empty when no home folder can be found.
std::string defaultSettingsFilePath();

// The settings store of a launch: the JSON file at the default path, or, when
// there is no home to keep it in, settings in memory with a warning.
std::shared_ptr<UserDefaults> makeStandardUserDefaults();

}  // namespace drawlume
