#pragma once

#include <vector>

#include <sys/types.h>

namespace drawlume::e2e {

// Resident memory and CPU time of a set of processes, summed, from /proc.
struct ProcessStats {
    long rssKiB = 0;
    double userSeconds = 0;
    double systemSeconds = 0;
    bool complete = false;  // every process could be read
};

ProcessStats sampleProcesses(const std::vector<pid_t>& pids);

}  // namespace drawlume::e2e
