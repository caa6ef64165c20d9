#pragma once

#include <functional>
#include <string>

namespace drawlume::e2e {

// Prints one line per check on standard output - "PASS name", "FAIL name: reason" or
// "SKIP name: reason" - which the host turns into test results. Diagnostics go to
// standard error, which ends up in the console log.
class CheckReporter {
public:
    void pass(const std::string& name);
    void fail(const std::string& name, const std::string& reason);
    void skip(const std::string& name, const std::string& reason);

    // Runs a check: it returns true when it passed and otherwise says why in `reason`.
    void run(const std::string& name, const std::function<bool(std::string& reason)>& check);

    int failures() const { return failures_; }

private:
    int failures_ = 0;
};

}  // namespace drawlume::e2e
