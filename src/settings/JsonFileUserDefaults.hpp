#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "settings/SettingsDocument.hpp"
#include "settings/UserDefaults.hpp"
#include "util/Clocks.hpp"

namespace drawlume {

// The user's settings in a JSON file that people can read and edit by hand.
// Every change is written at once, atomically, so the file on the disk is
// always a whole version of it.
//
// A file that does not parse is never deleted and never written over: it is
// renamed beside itself with a time stamp ("defaults.json.corrupt-<UTC time>"),
// a warning names both paths, and the settings start empty. A file that exists
// but cannot be read, or a damaged file that cannot be moved aside, is left
// alone for the whole session: changes then live in memory only.
class JsonFileUserDefaults final : public UserDefaults {
public:
    explicit JsonFileUserDefaults(std::string path, const Clocks& clocks = SystemClocks::shared());

    std::optional<DefaultsValue> object(std::string_view key) const override;
    void set(std::string_view key, DefaultsValue value) override;
    void remove(std::string_view key) override;

    const std::string& path() const { return path_; }
    // False when changes stay in memory because the file is being left alone.
    bool savesChanges() const { return savesChanges_; }

private:
    void load(const Clocks& clocks);
    void moveAside(const std::string& reason, const Clocks& clocks);
    void save();

    std::string path_;
    SettingsDocument document_;
    bool savesChanges_ = true;
    // One error line per run of failed saves, not one per change.
    bool saveFailureReported_ = false;
};

}  // namespace drawlume
