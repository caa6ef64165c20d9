#include "logging/DDFileLogger.hpp"

#include <cerrno>
#include <thread>
#include <utility>

#include "logging/StderrReporter.hpp"
#include "util/TextFormat.hpp"

namespace drawlume {

namespace {

void complain(const char* what, const std::string& path, int error) {
    StderrReporter::shared().report(std::string("DDFileLogger: ") + what + ": " + path + ": " +
                                    errnoText(error));
}

}  // namespace

DDFileLogger::DDFileLogger() : DDFileLogger(std::make_shared<DDLogFileManagerDefault>()) {}

DDFileLogger::DDFileLogger(std::shared_ptr<DDLogFileManagerDefault> logFileManager)
    : DDAbstractLogger("ddlog.filelogger"),
      logFileManager_(logFileManager ? std::move(logFileManager)
                                     : std::make_shared<DDLogFileManagerDefault>()) {}

DDFileLogger::~DDFileLogger() {
    finishPendingWork();
    loggerQueue().sync([this] { closeFile(); });
}

std::string DDFileLogger::currentLogFilePath() {
    std::string path;
    loggerQueue().sync([&] { path = path_; });
    return path;
}

void DDFileLogger::logMessages(std::span<const DDLogMessagePtr> messages) {
    if (fd_ >= 0 && currentFileVanished()) {
        closeFile();
    }
    for (const DDLogMessagePtr& message : messages) {
        appendLine(*message);
    }
    writePending();
}

void DDFileLogger::logMessage(const DDLogMessage& message) {
    appendLine(message);
    writePending();
}

void DDFileLogger::flushToStorage() {
    writePending();
    if (fd_ >= 0) {
        if (const int error = logFileManager_->fileSystem().synchronize(fd_); error != 0) {
            complain("Failed to synchronize file", path_, error);
        }
    }
}

void DDFileLogger::appendLine(const DDLogMessage& message) {
    const double frequency = rollingFrequency_;
    if (fd_ >= 0 && frequency > 0 &&
        logFileManager_->now() - openedAt_ >= std::chrono::duration<double>(frequency)) {
        writePending();
        roll();
    }
    if (!ensureFile()) {
        return;  // This line is lost; the next one tries again.
    }
    char stamp[UtcTimestamp::kLineStampLength];
    stamp_.formatLineStamp(message.timestamp, stamp);
    pending_.append(stamp, sizeof stamp);
    pending_.append("  ", 2);
    pending_.append(message.message);
    pending_.push_back('\n');
    lineEnds_.push_back(pending_.size());

    const uint64_t maximum = maximumFileSize_;
    if (maximum > 0 && offset_ + pending_.size() >= maximum) {
        writePending();
        if (offset_ >= maximum) {
            roll();
        }
    }
}

bool DDFileLogger::ensureFile() {
    if (fd_ >= 0) {
        return true;
    }
    if (!launchFileChosen_) {
        launchFileChosen_ = true;
        if (reuseNewestFile()) {
            return true;
        }
    }
    std::string path;
    int fd = -1;
    if (const int error = logFileManager_->createNewLogFile(path, fd); error != 0) {
        complain("Failed to create new log file", path, error);
        return false;
    }
    openedAt_ = logFileManager_->now();
    return openFile(path, fd);
}

bool DDFileLogger::reuseNewestFile() {
    const std::vector<DDLogFileInfo> infos = logFileManager_->sortedLogFileInfos();
    if (infos.empty()) {
        return false;
    }
    const DDLogFileInfo& newest = infos.front();
    const uint64_t maximum = maximumFileSize_;
    const double frequency = rollingFrequency_;
    const bool tooOld = frequency > 0 && logFileManager_->now() - newest.creationDate >=
                                             std::chrono::duration<double>(frequency);
    if (!newest.isArchived && !newest.isSymbolicLink &&
        (maximum == 0 || newest.fileSize < maximum) && !tooOld) {
        int fd = -1;
        if (logFileManager_->fileSystem().openForAppend(newest.filePath, false, fd) == 0) {
            openedAt_ = newest.creationDate;
            return openFile(newest.filePath, fd);
        }
    }
    if (!newest.isArchived) {
        logFileManager_->markArchived(newest.filePath);
    }
    return false;
}

bool DDFileLogger::openFile(const std::string& path, int fd) {
    fd_ = fd;
    path_ = path;
    offset_ = 0;
    if (const int error = logFileManager_->fileSystem().seekToEnd(fd_, offset_); error != 0) {
        complain("Failed to seek to end of file", path_, error);
    }
    return true;
}

void DDFileLogger::writePending() {
    if (pending_.empty()) {
        return;
    }
    if (fd_ < 0) {
        pending_.clear();
        lineEnds_.clear();
        return;
    }
    LogFileSystem& fileSystem = logFileManager_->fileSystem();
    lockFile();
    size_t written = 0;
    if (fileSystem.write(fd_, pending_.data(), pending_.size(), written) == 0) {
        StderrReporter::shared().clear();
    } else {
        writeLineByLine();
    }
    fileSystem.unlock(fd_);
    if (const int error = fileSystem.seekToEnd(fd_, offset_); error != 0) {
        complain("Failed to get offset", path_, error);
    }
    pending_.clear();
    lineEnds_.clear();
}

void DDFileLogger::writeLineByLine() {
    // The batch failed: take back whatever part of it reached the file, then
    // write line by line, so that only the lines that really fail are lost.
    LogFileSystem& fileSystem = logFileManager_->fileSystem();
    uint64_t end = offset_;
    fileSystem.truncate(fd_, end);
    size_t start = 0;
    for (const size_t lineEnd : lineEnds_) {
        size_t written = 0;
        const int error = fileSystem.write(fd_, pending_.data() + start, lineEnd - start, written);
        if (error == 0) {
            end += lineEnd - start;
        } else {
            if (written > 0) {
                fileSystem.truncate(fd_, end);
            }
            complain("Failed to write data", path_, error);
        }
        start = lineEnd;
    }
}

void DDFileLogger::lockFile() {
    LogFileSystem& fileSystem = logFileManager_->fileSystem();
    for (;;) {
        const int error = fileSystem.tryLock(fd_);
        // Only another holder is worth waiting for; a file system without
        // locks is written unlocked.
        if (error != EWOULDBLOCK && error != EINTR) {
            return;
        }
        StderrReporter::shared().report(
            strf("DDFileLogger: Could not lock logfile, retrying in 1ms: %s (%d)",
                 errnoText(error).c_str(), error));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void DDFileLogger::roll() {
    if (fd_ < 0) {
        return;
    }
    if (const int error = logFileManager_->fileSystem().synchronize(fd_); error != 0) {
        complain("Failed to synchronize file", path_, error);
    }
    const std::string path = path_;
    closeFile();
    logFileManager_->markArchived(path);
    logFileManager_->deleteOldLogFiles();
}

void DDFileLogger::closeFile() {
    if (fd_ < 0) {
        return;
    }
    if (const int error = logFileManager_->fileSystem().close(fd_); error != 0) {
        complain("Failed to close file", path_, error);
    }
    fd_ = -1;
    path_.clear();
    offset_ = 0;
}

bool DDFileLogger::currentFileVanished() {
    LogFileStatus status;
    return logFileManager_->fileSystem().statFile(fd_, status) == 0 && status.linkCount == 0;
}

}  // namespace drawlume
