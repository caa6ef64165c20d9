#include "logging/DDLogMessage.hpp"

#include <utility>

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "util/SerialQueue.hpp"

namespace drawlume {

namespace {

struct CallerThread {
    uint64_t id = 0;
    std::string name;
};

const CallerThread& callerThread() {
    thread_local const CallerThread thread = [] {
        CallerThread caller;
        caller.id = static_cast<uint64_t>(::syscall(SYS_gettid));
        if (caller.id == static_cast<uint64_t>(::getpid())) {
            caller.name = "main-thread";
        } else {
            char name[16] = {};
            if (pthread_getname_np(pthread_self(), name, sizeof name) == 0) {
                caller.name = name;
            }
        }
        return caller;
    }();
    return thread;
}

}  // namespace

std::string_view logFileNameOf(std::string_view file) {
    const size_t slash = file.rfind('/');
    std::string_view name = slash == std::string_view::npos ? file : file.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos || dot == 0 ? name : name.substr(0, dot);
}

DDLogMessage DDLogMessage::make(std::string text, uint32_t level, uint32_t flag,
                                std::string_view file, std::string_view function, unsigned line) {
    DDLogMessage record;
    record.message = std::move(text);
    record.level = level;
    record.flag = flag;
    record.file = file;
    record.fileName = logFileNameOf(file);
    record.function = function;
    record.line = line;
    record.timestamp = std::chrono::system_clock::now();
    const CallerThread& caller = callerThread();
    record.threadID = caller.id;
    const SerialQueue* queue = SerialQueue::current();
    record.queueLabel = queue != nullptr ? queue->label() : caller.name;
    return record;
}

}  // namespace drawlume
