#include "logging/StderrReporter.hpp"

#include <cstdio>
#include <utility>

namespace drawlume {

StderrReporter& StderrReporter::shared() {
    static StderrReporter* const reporter = new StderrReporter();
    return *reporter;
}

void StderrReporter::report(const std::string& text) {
    std::lock_guard lock(mutex_);
    if (!told_.insert(text).second) {
        return;
    }
    anyTold_ = true;
    if (output_) {
        output_(text);
    } else {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
}

void StderrReporter::clear() {
    // The common case, nothing told, costs one load and no lock.
    if (!anyTold_.load(std::memory_order_relaxed)) {
        return;
    }
    std::lock_guard lock(mutex_);
    told_.clear();
    anyTold_ = false;
}

void StderrReporter::setOutput(Output output) {
    std::lock_guard lock(mutex_);
    output_ = std::move(output);
    told_.clear();
    anyTold_ = false;
}

}  // namespace drawlume
