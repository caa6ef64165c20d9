#include "logging/DDLogFileManagerDefault.hpp"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "logging/LogDirectory.hpp"
#include "logging/StderrReporter.hpp"
#include "logging/UtcTimestamp.hpp"
#include "util/TextFormat.hpp"

namespace drawlume {

namespace {

constexpr int kMaximumCreationAttempts = 5;

std::string describeError(const std::string& path, int error) {
    return path + ": " + errnoText(error);
}

bool isUnsupported(int error) {
    return error == ENOTSUP || error == EOPNOTSUPP;
}

}  // namespace

DDLogFileManagerDefault::DDLogFileManagerDefault()
    : DDLogFileManagerDefault(defaultLogsDirectory(processName()), processName()) {}

DDLogFileManagerDefault::DDLogFileManagerDefault(std::string logsDirectory,
                                                 std::string applicationName,
                                                 std::shared_ptr<LogFileSystem> fileSystem,
                                                 Clock clock)
    : logsDirectory_(std::move(logsDirectory)),
      applicationName_(std::move(applicationName)),
      fileSystem_(fileSystem ? std::move(fileSystem) : posixLogFileSystem()),
      clock_(clock ? std::move(clock) : Clock([] { return std::chrono::system_clock::now(); })) {}

const std::string& DDLogFileManagerDefault::logsDirectory() {
    ensureLogsDirectory();
    return logsDirectory_;
}

bool DDLogFileManagerDefault::ensureLogsDirectory() {
    const int error = fileSystem_->makeDirectories(logsDirectory_);
    if (error != 0) {
        StderrReporter::shared().report("DDFileLogManagerDefault: Error creating logsDirectory: " +
                                        describeError(logsDirectory_, error));
        return false;
    }
    return true;
}

bool DDLogFileManagerDefault::isLogFile(std::string_view fileName) const {
    static constexpr std::string_view kExtension = ".log";
    return fileName.size() >= applicationName_.size() + 1 + kExtension.size() &&
           fileName.substr(0, applicationName_.size()) == applicationName_ &&
           fileName[applicationName_.size()] == ' ' && fileName.ends_with(kExtension);
}

bool DDLogFileManagerDefault::isArchived(const std::string& path, std::string_view fileName) {
    if (fileName.ends_with(kArchivedSuffix)) {
        return true;
    }
    bool present = false;
    return fileSystem_->hasAttribute(path, kArchivedAttribute, present) == 0 && present;
}

std::vector<DDLogFileInfo> DDLogFileManagerDefault::sortedLogFileInfos() {
    std::vector<DDLogFileInfo> infos;
    std::vector<std::string> names;
    const int error = fileSystem_->listDirectory(logsDirectory_, names);
    if (error != 0) {
        StderrReporter::shared().report(
            "DDFileLogManagerDefault: Error listing log file directory: " +
            describeError(logsDirectory_, error));
        return infos;
    }
    for (const std::string& name : names) {
        if (!isLogFile(name)) {
            continue;
        }
        DDLogFileInfo info;
        info.fileName = name;
        info.filePath = logsDirectory_ + "/" + name;
        LogFileStatus status;
        if (fileSystem_->statPath(info.filePath, status) != 0 ||
            (!status.isRegular && !status.isSymbolicLink)) {
            continue;
        }
        info.fileSize = status.size;
        info.isSymbolicLink = status.isSymbolicLink;
        const auto named = UtcTimestamp::parseFileNameStamp(
            std::string_view(name).substr(applicationName_.size() + 1));
        info.creationDate = named ? *named : status.created;
        info.isArchived = isArchived(info.filePath, name);
        infos.push_back(std::move(info));
    }
    std::sort(infos.begin(), infos.end(), [](const DDLogFileInfo& a, const DDLogFileInfo& b) {
        if (a.creationDate != b.creationDate) {
            return a.creationDate > b.creationDate;
        }
        // Files of the same millisecond: the counter after the time tells the later one.
        if (a.fileName.size() != b.fileName.size()) {
            return a.fileName.size() > b.fileName.size();
        }
        return a.fileName > b.fileName;
    });
    return infos;
}

void DDLogFileManagerDefault::deleteOldLogFiles() {
    const uint64_t maximum = maximumNumberOfLogFiles();
    // A maximum of 0 means no limit by count.
    deleteOldLogFiles(maximum > 0 ? std::optional<uint64_t>(maximum) : std::nullopt);
}

void DDLogFileManagerDefault::deleteOldLogFiles(std::optional<uint64_t> maximumNumberOfFiles) {
    const std::vector<DDLogFileInfo> infos = sortedLogFileInfos();
    std::optional<size_t> quotaCut;
    if (const uint64_t quota = logFilesDiskQuota(); quota > 0) {
        uint64_t total = 0;
        for (size_t i = 0; i < infos.size(); ++i) {
            total += infos[i].fileSize;
            if (total > quota) {
                quotaCut = i;
                break;
            }
        }
    }
    std::optional<size_t> cut;
    if (maximumNumberOfFiles) {
        cut = static_cast<size_t>(
            std::min<uint64_t>(*maximumNumberOfFiles, quotaCut.value_or(infos.size())));
    } else if (quotaCut) {
        cut = quotaCut;
    }
    if (!cut) {
        return;
    }
    size_t first = *cut;
    if (first == 0 && !infos.empty() && !infos.front().isArchived) {
        first = 1;
    }
    for (size_t i = first; i < infos.size(); ++i) {
        const int error = fileSystem_->remove(infos[i].filePath);
        if (error != 0 && error != ENOENT) {
            StderrReporter::shared().report("DDLogFileManagerDefault: Error deleting file " +
                                            describeError(infos[i].filePath, error));
            return;
        }
    }
}

int DDLogFileManagerDefault::createNewLogFile(std::string& path, int& fd) {
    path = logsDirectory_;
    if (!ensureLogsDirectory()) {
        return ENOENT;
    }
    // Leave room for the file about to be created.
    const uint64_t maximum = maximumNumberOfLogFiles();
    deleteOldLogFiles(maximum > 0 ? std::optional<uint64_t>(maximum - 1) : std::nullopt);

    const std::string stamp = UtcTimestamp::fileNameStamp(now());
    int error = 0;
    for (int attempt = 1; attempt <= kMaximumCreationAttempts; ++attempt) {
        // Two files created in the same millisecond get a counter after the time.
        const std::string name = applicationName_ + " " + stamp +
                                 (attempt > 1 ? " " + std::to_string(attempt) : "") + ".log";
        path = logsDirectory_ + "/" + name;
        error = fileSystem_->openForAppend(path, true, fd);
        if (error != EEXIST) {
            return error;
        }
    }
    StderrReporter::shared().report(
        strf("DDLogFileManagerDefault: Bailing file creation, encountered %ld errors.",
             static_cast<long>(kMaximumCreationAttempts)));
    return error;
}

std::string DDLogFileManagerDefault::markArchived(const std::string& path) {
    const int error = fileSystem_->setAttribute(path, kArchivedAttribute);
    if (error == 0 || !isUnsupported(error) || path.ends_with(kArchivedSuffix)) {
        return path;
    }
    const std::string renamed = path.substr(0, path.size() - std::string_view(".log").size()) +
                                std::string(kArchivedSuffix);
    return fileSystem_->rename(path, renamed) == 0 ? renamed : path;
}

}  // namespace drawlume
