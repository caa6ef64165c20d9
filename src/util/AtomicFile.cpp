#include "util/AtomicFile.hpp"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace drawlume {

namespace {

std::string parentOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Where the bytes really go: the target of a symbolic link, else the path.
std::string resolvedTarget(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
        return path;
    }
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) {
        return path;
    }
    return resolved;
}

FileError writeAll(int fd, std::string_view contents) {
    size_t done = 0;
    while (done < contents.size()) {
        const ssize_t written = ::write(fd, contents.data() + done, contents.size() - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return {errno, "write"};
        }
        done += static_cast<size_t>(written);
    }
    return {};
}

// Writes, flushes and closes the temporary file; closes it on every path.
FileError fillTemporaryFile(int fd, const std::string& target, std::string_view contents) {
    FileError error;
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode) &&
        ::fchmod(fd, existing.st_mode & 07777) != 0) {
        error = {errno, "fchmod"};
    }
    if (!error.failed()) {
        error = writeAll(fd, contents);
    }
    if (!error.failed() && ::fsync(fd) != 0) {
        error = {errno, "fsync"};
    }
    if (::close(fd) != 0 && !error.failed()) {
        error = {errno, "close"};
    }
    return error;
}

// The rename is on the disk only once the folder's entry is; a failure here
// leaves the new file in place, so it is not reported.
void synchronizeFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

FileError readWholeFile(const std::string& path, std::string& contents) {
    contents.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {errno, "open"};
    }
    FileError error;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = {errno, "read"};
            break;
        }
        if (got == 0) {
            break;
        }
        contents.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return error;
}

FileError writeFileAtomically(const std::string& path, std::string_view contents) {
    const std::string target = resolvedTarget(path);
    const std::string folder = parentOf(target);
    if (FileError error = makeDirectories(folder, 0700); error.failed()) {
        return error;
    }
    const size_t slash = target.find_last_of('/');
    std::string pattern = folder + "/." +
                          (slash == std::string::npos ? target : target.substr(slash + 1)) +
                          ".XXXXXX";
    std::vector<char> temporary(pattern.begin(), pattern.end());
    temporary.push_back('\0');
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return {errno, "mkostemp"};
    }
    FileError error = fillTemporaryFile(fd, target, contents);
    if (!error.failed() && ::rename(temporary.data(), target.c_str()) != 0) {
        error = {errno, "rename"};
    }
    if (error.failed()) {
        ::unlink(temporary.data());
        return error;
    }
    synchronizeFolder(folder);
    return {};
}

FileError makeDirectories(const std::string& path, unsigned mode) {
    if (path.empty()) {
        return {};
    }
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
        return S_ISDIR(status.st_mode) ? FileError{} : FileError{ENOTDIR, "mkdir"};
    }
    const std::string parent = parentOf(path);
    if (parent != path) {
        if (FileError error = makeDirectories(parent, mode); error.failed()) {
            return error;
        }
    }
    if (::mkdir(path.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST) {
        return {errno, "mkdir"};
    }
    return {};
}

}  // namespace drawlume
