#pragma once

#include <chrono>
#include <csignal>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TempDirectory.hpp"

extern char** environ;  // the process's environment, as POSIX declares it

namespace drawlume::testing {

// Waits until the condition holds; false when it did not within the timeout.
template <typename Condition>
bool eventually(Condition condition, double timeoutSeconds = 10.0) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// A program run as a user would run it, with a few environment variables
// changed (env(1) sets them, or unsets those given empty), its standard
// output and error kept in files.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& command,
                 const std::vector<std::pair<std::string, std::string>>& environment,
                 const std::string& outputStem)
        : outPath_(outputStem + ".out"), errPath_(outputStem + ".err") {
        std::vector<std::string> words{"/usr/bin/env"};
        for (const auto& [name, value] : environment) {  // env takes its options first
            words.insert(value.empty() ? words.begin() + 1 : words.end(),
                         value.empty() ? "--unset=" + name : name + "=" + value);
        }
        words.insert(words.end(), command.begin(), command.end());
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, outPath_.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, errPath_.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ChildProcess() {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGKILL);
            wait(5.0);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    // The exit status, or 128 + the signal; nothing while it still runs after the timeout.
    std::optional<int> wait(double timeoutSeconds) {
        eventually(
            [this] {
                int raw = 0;
                if (!status_ && pid_ > 0 && ::waitpid(pid_, &raw, WNOHANG) == pid_) {
                    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
                }
                return status_ || pid_ <= 0;
            },
            timeoutSeconds);
        return status_;
    }
    std::optional<int> stop(int signal, double timeoutSeconds = 10.0) {
        ::kill(pid_, signal);
        return wait(timeoutSeconds);
    }
    std::string output() const { return readFile(outPath_); }
    std::string errors() const { return readFile(errPath_); }

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
    std::string outPath_;
    std::string errPath_;
};

}  // namespace drawlume::testing
