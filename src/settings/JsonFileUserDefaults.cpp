#include "settings/JsonFileUserDefaults.hpp"

#include <cerrno>
#include <cmath>
#include <ctime>

#include <sys/stat.h>

#include "logging/LogMacros.hpp"
#include "util/AtomicFile.hpp"

namespace drawlume {

namespace {

constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/JsonFileUserDefaults";

// "2025-01-06T10-15-02Z": sorts by time and holds no colon, which some tools
// and file systems dislike in names.
std::string fileNameStamp(const Clocks& clocks) {
    const auto seconds = static_cast<time_t>(
        std::floor(clocks.secondsSinceReferenceDate() + kSecondsFromUnixEpochToReferenceDate));
    tm utc{};
    char text[32] = "unknown-time";
    if (::gmtime_r(&seconds, &utc) != nullptr) {
        std::strftime(text, sizeof text, "%Y-%m-%dT%H-%M-%SZ", &utc);
    }
    return text;
}

bool pathExists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

}  // namespace

JsonFileUserDefaults::JsonFileUserDefaults(std::string path, const Clocks& clocks)
    : path_(std::move(path)) {
    load(clocks);
}

void JsonFileUserDefaults::load(const Clocks& clocks) {
    std::string text;
    const FileError readError = readWholeFile(path_, text);
    // No file yet (ENOTDIR: not even its folder): the first change creates it.
    if (readError.code == ENOENT || readError.code == ENOTDIR) {
        return;
    }
    if (readError.failed()) {
        savesChanges_ = false;
        DDLogWarn("load()", "Could not read the settings file " + path_ + " (" +
                                readError.describe() +
                                "); starting with empty settings, and changes made now will not "
                                "be saved");
        return;
    }
    SettingsDocument::ParseResult parsed = SettingsDocument::parse(text);
    if (!parsed.document) {
        moveAside(parsed.error, clocks);
        return;
    }
    document_ = std::move(*parsed.document);
    for (const auto& [key, type] : document_.unreadableKeys()) {
        DDLogWarn("load()", strf("The settings file %s holds a %s under \"%s\", which is not a "
                                 "setting this program reads; it is kept as it is",
                                 path_.c_str(), type.c_str(), key.c_str()));
    }
}

void JsonFileUserDefaults::moveAside(const std::string& reason, const Clocks& clocks) {
    const std::string base = path_ + ".corrupt-" + fileNameStamp(clocks);
    std::string aside = base;
    for (int attempt = 2; pathExists(aside); ++attempt) {
        aside = base + "-" + std::to_string(attempt);
    }
    if (::rename(path_.c_str(), aside.c_str()) != 0) {
        const FileError error{errno, "rename"};
        savesChanges_ = false;
        DDLogWarn("load()", "The settings file " + path_ + " could not be parsed (" + reason +
                                ") and could not be moved to " + aside + " (" + error.describe() +
                                "); starting with empty settings, and the file is left as it is");
        return;
    }
    DDLogWarn("load()", "The settings file " + path_ + " could not be parsed (" + reason +
                            "); moved it to " + aside + " and started with empty settings");
}

std::optional<DefaultsValue> JsonFileUserDefaults::object(std::string_view key) const {
    return document_.object(key);
}

void JsonFileUserDefaults::set(std::string_view key, DefaultsValue value) {
    if (document_.set(key, value)) {
        save();
    }
}

void JsonFileUserDefaults::remove(std::string_view key) {
    if (document_.remove(key)) {
        save();
    }
}

void JsonFileUserDefaults::save() {
    if (!savesChanges_) {
        return;
    }
    const FileError error = writeFileAtomically(path_, document_.serialize());
    if (!error.failed()) {
        saveFailureReported_ = false;
        return;
    }
    if (!saveFailureReported_) {
        saveFailureReported_ = true;
        DDLogError("save()", "Could not save the settings to " + path_ + " (" + error.describe() +
                                 "); the change holds until the program ends");
    }
}

}  // namespace drawlume
