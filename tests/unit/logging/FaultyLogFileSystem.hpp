#pragma once

#include <algorithm>
#include <mutex>
#include <string>
#include <string_view>

#include "logging/LogFileSystem.hpp"

namespace drawlume::testing {

// The real file system, with writes made to fail on demand.
class FaultyLogFileSystem final : public LogFileSystem {
public:
    // Writes whose data contain marker write only `accepted` bytes, then fail
    // with error; an empty marker heals them.
    void failWritesContaining(std::string marker, int error, size_t accepted = 0) {
        std::lock_guard lock(mutex_);
        writeMarker_ = std::move(marker);
        writeError_ = error;
        writeAccepted_ = accepted;
    }

    int makeDirectories(const std::string& path) override { return real_->makeDirectories(path); }
    int listDirectory(const std::string& path, std::vector<std::string>& names) override {
        return real_->listDirectory(path, names);
    }
    int statPath(const std::string& path, LogFileStatus& status) override {
        return real_->statPath(path, status);
    }
    int statFile(int fd, LogFileStatus& status) override { return real_->statFile(fd, status); }
    int openForAppend(const std::string& path, bool create, int& fd) override {
        return real_->openForAppend(path, create, fd);
    }
    int tryLock(int fd) override { return real_->tryLock(fd); }
    void unlock(int fd) override { real_->unlock(fd); }
    int write(int fd, const char* data, size_t size, size_t& written) override {
        std::unique_lock lock(mutex_);
        if (!writeMarker_.empty() &&
            std::string_view(data, size).find(writeMarker_) != std::string_view::npos) {
            const size_t accepted = std::min(writeAccepted_, size);
            const int error = writeError_;
            lock.unlock();
            real_->write(fd, data, accepted, written);
            return error;
        }
        lock.unlock();
        return real_->write(fd, data, size, written);
    }
    int seekToEnd(int fd, uint64_t& offset) override { return real_->seekToEnd(fd, offset); }
    int currentOffset(int fd, uint64_t& offset) override {
        return real_->currentOffset(fd, offset);
    }
    int truncate(int fd, uint64_t size) override { return real_->truncate(fd, size); }
    int synchronize(int fd) override { return real_->synchronize(fd); }
    int close(int fd) override { return real_->close(fd); }
    int remove(const std::string& path) override { return real_->remove(path); }
    int rename(const std::string& from, const std::string& to) override {
        return real_->rename(from, to);
    }
    int setAttribute(const std::string& path, const std::string& name) override {
        return real_->setAttribute(path, name);
    }
    int hasAttribute(const std::string& path, const std::string& name, bool& present) override {
        return real_->hasAttribute(path, name, present);
    }

private:
    std::shared_ptr<LogFileSystem> real_ = posixLogFileSystem();
    std::mutex mutex_;
    std::string writeMarker_;
    int writeError_ = 0;
    size_t writeAccepted_ = 0;
};

}  // namespace drawlume::testing
