#include "CheckReporter.hpp"

#include <cstdio>

#include "Deadline.hpp"

namespace drawlume::e2e {

void CheckReporter::pass(const std::string& name) {
    std::printf("PASS %s\n", name.c_str());
    std::fflush(stdout);
}

void CheckReporter::fail(const std::string& name, const std::string& reason) {
    ++failures_;
    std::printf("FAIL %s: %s\n", name.c_str(), reason.c_str());
    std::fflush(stdout);
}

void CheckReporter::skip(const std::string& name, const std::string& reason) {
    std::printf("SKIP %s: %s\n", name.c_str(), reason.c_str());
    std::fflush(stdout);
}

void CheckReporter::run(const std::string& name,
                        const std::function<bool(std::string& reason)>& check) {
    const int64_t start = monotonicNs();
    std::string reason;
    const bool passed = check(reason);
    std::fprintf(stderr, "check %s: %s in %.0f ms\n", name.c_str(), passed ? "passed" : "failed",
                 static_cast<double>(monotonicNs() - start) / 1e6);
    if (passed) {
        pass(name);
    } else {
        fail(name, reason.empty() ? "no reason given" : reason);
    }
}

}  // namespace drawlume::e2e
