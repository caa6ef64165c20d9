#pragma once

#include <string>

namespace drawlume {

// The outcome of a file operation: 0 or the errno value, with the system call
// that failed, so that a log line can say what went wrong where.
struct FileError {
    int code = 0;
    const char* operation = "";

    bool failed() const { return code != 0; }
    // "rename: Permission denied"; empty when nothing failed.
    std::string describe() const;
};

}  // namespace drawlume
