#include "logging/LogFileSystem.hpp"

#include <cerrno>
#include <cstdio>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace drawlume {

namespace {

std::chrono::system_clock::time_point toTimePoint(const struct statx_timestamp& stamp) {
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(stamp.tv_sec) + std::chrono::nanoseconds(stamp.tv_nsec)));
}

int describe(int dirfd, const char* path, int flags, LogFileStatus& status) {
    struct statx info {};
    if (::statx(dirfd, path, flags,
                STATX_TYPE | STATX_SIZE | STATX_NLINK | STATX_BTIME | STATX_MTIME, &info) != 0) {
        return errno;
    }
    status.size = info.stx_size;
    status.isRegular = S_ISREG(info.stx_mode);
    status.isSymbolicLink = S_ISLNK(info.stx_mode);
    status.linkCount = info.stx_nlink;
    status.created = (info.stx_mask & STATX_BTIME) != 0 ? toTimePoint(info.stx_btime)
                                                        : toTimePoint(info.stx_mtime);
    return 0;
}

class PosixLogFileSystem final : public LogFileSystem {
public:
    int makeDirectories(const std::string& path) override {
        if (path.empty()) {
            return ENOENT;
        }
        for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
            const std::string prefix = path.substr(0, slash);
            if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
                return errno;
            }
            if (slash == std::string::npos) {
                break;
            }
        }
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) {
            return errno;
        }
        return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
    }

    int listDirectory(const std::string& path, std::vector<std::string>& names) override {
        DIR* dir = ::opendir(path.c_str());
        if (dir == nullptr) {
            return errno;
        }
        names.clear();
        errno = 0;
        // readdir is safe for a stream that no other thread reads.
        while (const dirent* entry = ::readdir(dir)) {  // NOLINT(concurrency-mt-unsafe)
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        const int error = errno;
        ::closedir(dir);
        return error;
    }

    int statPath(const std::string& path, LogFileStatus& status) override {
        return describe(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, status);
    }

    int statFile(int fd, LogFileStatus& status) override {
        return describe(fd, "", AT_EMPTY_PATH, status);
    }

    int openForAppend(const std::string& path, bool create, int& fd) override {
        const int flags =
            O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT | O_EXCL : 0);
        fd = ::open(path.c_str(), flags, 0644);
        return fd < 0 ? errno : 0;
    }

    int tryLock(int fd) override { return ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : errno; }

    void unlock(int fd) override { ::flock(fd, LOCK_UN); }

    int write(int fd, const char* data, size_t size, size_t& written) override {
        written = 0;
        while (written < size) {
            const ssize_t n = ::write(fd, data + written, size - written);
            if (n < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return errno;
            }
            if (n == 0) {
                return EIO;
            }
            written += static_cast<size_t>(n);
        }
        return 0;
    }

    int seekToEnd(int fd, uint64_t& offset) override { return seek(fd, SEEK_END, offset); }

    int currentOffset(int fd, uint64_t& offset) override { return seek(fd, SEEK_CUR, offset); }

    int truncate(int fd, uint64_t size) override {
        return ::ftruncate(fd, static_cast<off_t>(size)) == 0 ? 0 : errno;
    }

    int synchronize(int fd) override { return ::fdatasync(fd) == 0 ? 0 : errno; }

    int close(int fd) override { return ::close(fd) == 0 ? 0 : errno; }

    int remove(const std::string& path) override { return ::unlink(path.c_str()) == 0 ? 0 : errno; }

    int rename(const std::string& from, const std::string& to) override {
        return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    }

    int setAttribute(const std::string& path, const std::string& name) override {
        static const char kValue = '1';
        return ::lsetxattr(path.c_str(), name.c_str(), &kValue, 1, 0) == 0 ? 0 : errno;
    }

    int hasAttribute(const std::string& path, const std::string& name, bool& present) override {
        present = false;
        if (::lgetxattr(path.c_str(), name.c_str(), nullptr, 0) >= 0) {
            present = true;
            return 0;
        }
        return errno == ENODATA ? 0 : errno;
    }

private:
    static int seek(int fd, int whence, uint64_t& offset) {
        const off_t position = ::lseek(fd, 0, whence);
        if (position < 0) {
            return errno;
        }
        offset = static_cast<uint64_t>(position);
        return 0;
    }
};

}  // namespace

std::shared_ptr<LogFileSystem> posixLogFileSystem() {
    static const std::shared_ptr<LogFileSystem> fileSystem = std::make_shared<PosixLogFileSystem>();
    return fileSystem;
}

}  // namespace drawlume
