#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "logging/LogFileSystem.hpp"

namespace drawlume {

struct DDLogFileInfo {
    std::string filePath;
    std::string fileName;
    uint64_t fileSize = 0;
    std::chrono::system_clock::time_point creationDate;
    bool isArchived = false;
    bool isSymbolicLink = false;
};

// Owns the log directory: which files belong to the log set, how new ones are
// named, and which old ones are deleted.
//
// A file belongs to the set when its name is "<application name> " ... ".log".
// Files that will not be written again carry the extended attribute
// kArchivedAttribute. Where the file system keeps no extended attributes the
// file is renamed to end in " archived.log" instead: it stays in the set, so
// it still counts for deletion, and is never chosen for writing again.
class DDLogFileManagerDefault {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    static constexpr uint64_t kDefaultMaximumNumberOfLogFiles = 5;
    static constexpr uint64_t kDefaultLogFilesDiskQuota = 20 * 1024 * 1024;
    static constexpr const char* kArchivedAttribute = "user.lumberjack.log.archived";
    static constexpr std::string_view kArchivedSuffix = " archived.log";

    // The default directory of this process, its name, the real file system.
    DDLogFileManagerDefault();
    DDLogFileManagerDefault(std::string logsDirectory, std::string applicationName,
                            std::shared_ptr<LogFileSystem> fileSystem = posixLogFileSystem(),
                            Clock clock = {});

    void setMaximumNumberOfLogFiles(uint64_t count) { maximumNumberOfLogFiles_ = count; }
    uint64_t maximumNumberOfLogFiles() const { return maximumNumberOfLogFiles_; }
    void setLogFilesDiskQuota(uint64_t bytes) { logFilesDiskQuota_ = bytes; }
    uint64_t logFilesDiskQuota() const { return logFilesDiskQuota_; }

    // The directory's path. It is created when missing; a failure is reported
    // on stderr and the path is returned all the same.
    const std::string& logsDirectory();
    const std::string& applicationName() const { return applicationName_; }

    bool isLogFile(std::string_view fileName) const;
    // The log set, newest first. Creation times come from the names where
    // they carry one, so the order does not depend on the file system.
    std::vector<DDLogFileInfo> sortedLogFileInfos();

    // Deletes old files to leave room for one more, then creates an empty
    // file with a fresh name. Returns 0 or an errno value.
    int createNewLogFile(std::string& path, int& fd);
    // Deletes files beyond the maximum number and the disk quota.
    void deleteOldLogFiles();
    // Marks the file as never to be written again; returns its path afterwards.
    std::string markArchived(const std::string& path);

    LogFileSystem& fileSystem() { return *fileSystem_; }
    std::chrono::system_clock::time_point now() const { return clock_(); }

private:
    bool ensureLogsDirectory();
    void deleteOldLogFiles(std::optional<uint64_t> maximumNumberOfFiles);
    bool isArchived(const std::string& path, std::string_view fileName);

    std::string logsDirectory_;
    std::string applicationName_;
    std::shared_ptr<LogFileSystem> fileSystem_;
    Clock clock_;
    std::atomic<uint64_t> maximumNumberOfLogFiles_{kDefaultMaximumNumberOfLogFiles};
    std::atomic<uint64_t> logFilesDiskQuota_{kDefaultLogFilesDiskQuota};
};

}  // namespace drawlume
