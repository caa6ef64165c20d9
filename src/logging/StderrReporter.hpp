#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <set>
#include <string>

namespace drawlume {

// Where the file logger reports its own troubles: the process's standard
// error, never the log files. A broken disk would otherwise repeat the same
// complaint for every line, so each text is written once until a line has
// been written successfully again.
class StderrReporter {
public:
    using Output = std::function<void(const std::string& line)>;

    static StderrReporter& shared();

    void report(const std::string& text);
    // Called after a successful write: the next failure is worth telling again.
    void clear();
    // Tests read the reports instead of the process's stderr. An empty output
    // restores stderr.
    void setOutput(Output output);

private:
    std::mutex mutex_;
    std::set<std::string> told_;
    std::atomic<bool> anyTold_{false};
    Output output_;
};

}  // namespace drawlume
