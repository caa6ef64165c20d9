#pragma once

#include <chrono>
#include <functional>

#include "platform/linux/session/PollRunLoop.hpp"

namespace drawlume::testing {

// Runs the loop until the condition holds or the timeout passes; says whether it holds.
inline bool runUntil(PollRunLoop& loop, const std::function<bool()>& condition,
                     double timeoutSeconds = 10.0) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    std::function<void()> check = [&] {
        if (condition() || std::chrono::steady_clock::now() > deadline) {
            loop.stop();
            return;
        }
        loop.postAfter(0.005, check);
    };
    loop.post(check);
    loop.run();
    return condition();
}

}  // namespace drawlume::testing
