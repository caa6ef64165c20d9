#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace drawlume {

struct LogFileStatus {
    uint64_t size = 0;
    bool isRegular = false;
    bool isSymbolicLink = false;
    uint64_t linkCount = 0;
    // Birth time where the file system records one, else the last change.
    std::chrono::system_clock::time_point created;
};

// Every file operation of the file logger goes through this layer, so tests
// can make any of them fail on demand. Each call returns 0 or an errno value.
class LogFileSystem {
public:
    virtual ~LogFileSystem() = default;

    virtual int makeDirectories(const std::string& path) = 0;
    virtual int listDirectory(const std::string& path, std::vector<std::string>& names) = 0;
    // Describes the path itself; a symbolic link is not followed.
    virtual int statPath(const std::string& path, LogFileStatus& status) = 0;
    virtual int statFile(int fd, LogFileStatus& status) = 0;
    // Opens for appending. With create the file must not exist yet; without,
    // it must exist and must not be a symbolic link.
    virtual int openForAppend(const std::string& path, bool create, int& fd) = 0;
    // EWOULDBLOCK when another holder has the lock.
    virtual int tryLock(int fd) = 0;
    virtual void unlock(int fd) = 0;
    // Writes everything or fails; written tells how much reached the file.
    virtual int write(int fd, const char* data, size_t size, size_t& written) = 0;
    virtual int seekToEnd(int fd, uint64_t& offset) = 0;
    virtual int currentOffset(int fd, uint64_t& offset) = 0;
    virtual int truncate(int fd, uint64_t size) = 0;
    virtual int synchronize(int fd) = 0;
    virtual int close(int fd) = 0;
    virtual int remove(const std::string& path) = 0;
    virtual int rename(const std::string& from, const std::string& to) = 0;
    // Extended attributes; ENOTSUP where the file system keeps none.
    virtual int setAttribute(const std::string& path, const std::string& name) = 0;
    virtual int hasAttribute(const std::string& path, const std::string& name, bool& present) = 0;
};

std::shared_ptr<LogFileSystem> posixLogFileSystem();

}  // namespace drawlume
