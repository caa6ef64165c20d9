#include "ProcessStats.hpp"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "SysfsNodes.hpp"

namespace drawlume::e2e {
namespace {

constexpr int kUserTimeField = 14;  // utime in /proc/PID/stat, counted from 1
constexpr int kSystemTimeField = 15;

bool addProcess(pid_t pid, ProcessStats& stats) {
    const std::string folder = "/proc/" + std::to_string(pid);
    std::ifstream status(folder + "/status");
    std::string line;
    bool hasRss = false;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            stats.rssKiB += std::strtol(line.c_str() + 6, nullptr, 10);
            hasRss = true;
        }
    }
    const std::string stat = readSmallFile(folder + "/stat");
    // The command name may hold blanks: fields are counted after its closing parenthesis,
    // which ends field 2.
    const size_t end = stat.rfind(')');
    if (!hasRss || end == std::string::npos) {
        return false;
    }
    std::istringstream fields(stat.substr(end + 1));
    std::string field;
    long user = -1;
    long system = -1;
    for (int index = 3; index <= kSystemTimeField && fields >> field; ++index) {
        if (index == kUserTimeField) {
            user = std::strtol(field.c_str(), nullptr, 10);
        } else if (index == kSystemTimeField) {
            system = std::strtol(field.c_str(), nullptr, 10);
        }
    }
    if (user < 0 || system < 0) {
        return false;
    }
    const auto ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    stats.userSeconds += static_cast<double>(user) / ticks;
    stats.systemSeconds += static_cast<double>(system) / ticks;
    return true;
}

}  // namespace

ProcessStats sampleProcesses(const std::vector<pid_t>& pids) {
    ProcessStats stats;
    stats.complete = !pids.empty();
    for (const pid_t pid : pids) {
        stats.complete = addProcess(pid, stats) && stats.complete;
    }
    return stats;
}

}  // namespace drawlume::e2e
