#include "app/DebugLogCollector.hpp"

#include <chrono>
#include <ctime>
#include <utility>

#include "util/TextFormat.hpp"

namespace drawlume {

namespace {

// "[HH:mm:ss.SSS] message", in the process's local time zone.
std::string stampedLine(std::chrono::system_clock::time_point now, const std::string& message) {
    const auto sinceEpoch = now.time_since_epoch();
    const auto seconds = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch - seconds).count();
    const std::time_t time = static_cast<std::time_t>(seconds.count());
    std::tm local{};
    localtime_r(&time, &local);
    return strf("[%02d:%02d:%02d.%03d] ", local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<int>(milliseconds)) +
           message;
}

}  // namespace

// Everything the queued work touches; the work holds it weakly, so that once
// the collector is gone its remaining tasks do nothing.
struct DebugLogCollector::State {
    std::vector<std::string> logLines;              // on the collector's queue only
    LogLinesCallback onLogUpdated;                  // main thread only
    EventsPerSecondCallback onEventsPerSecUpdated;  // main thread only
};

DebugLogCollector& DebugLogCollector::shared() {
    // Never destroyed: producers and the run loop may still reach it while
    // static objects are torn down at exit.
    static DebugLogCollector* const instance = new DebugLogCollector();
    return *instance;
}

DebugLogCollector::DebugLogCollector(RunLoop* mainRunLoop)
    : queue_("com.drawlume.debuglogcollector"),
      state_(std::make_shared<State>()),
      mainRunLoop_(mainRunLoop) {}

DebugLogCollector::~DebugLogCollector() {
    state_.reset();
    queue_.flush();
}

void DebugLogCollector::setMainRunLoop(RunLoop& mainRunLoop) {
    mainRunLoop_.store(&mainRunLoop);
}

void DebugLogCollector::postToMain(std::function<void()> task) const {
    if (RunLoop* runLoop = mainRunLoop_.load(); runLoop != nullptr) {
        runLoop->post(std::move(task));
    }
}

void DebugLogCollector::addLog(std::string message) {
    if (!isEnabled()) {
        return;
    }
    queue_.async([this, weakState = std::weak_ptr<State>(state_), message = std::move(message)] {
        const std::shared_ptr<State> state = weakState.lock();
        if (!state) {
            return;
        }
        // Stamped when the queue takes the line in, not when it was handed over.
        std::vector<std::string>& lines = state->logLines;
        lines.push_back(stampedLine(std::chrono::system_clock::now(), message));
        if (lines.size() > static_cast<size_t>(maxLogLines)) {
            lines.erase(lines.begin(),
                        lines.begin() + static_cast<std::ptrdiff_t>(lines.size() - maxLogLines));
        }
        postToMain([weakState, copy = lines] {
            if (const std::shared_ptr<State> state = weakState.lock();
                state && state->onLogUpdated) {
                state->onLogUpdated(copy);
            }
        });
    });
}

void DebugLogCollector::updateEventsPerSecond(int64_t eventsPerSecond) {
    postToMain([weakState = std::weak_ptr<State>(state_), eventsPerSecond] {
        if (const std::shared_ptr<State> state = weakState.lock();
            state && state->onEventsPerSecUpdated) {
            state->onEventsPerSecUpdated(eventsPerSecond);
        }
    });
}

void DebugLogCollector::clearLogs() {
    queue_.async([this, weakState = std::weak_ptr<State>(state_)] {
        const std::shared_ptr<State> state = weakState.lock();
        if (!state) {
            return;
        }
        state->logLines.clear();
        postToMain([weakState] {
            if (const std::shared_ptr<State> state = weakState.lock();
                state && state->onLogUpdated) {
                state->onLogUpdated({});
            }
        });
    });
}

void DebugLogCollector::setOnLogUpdated(LogLinesCallback callback) {
    state_->onLogUpdated = std::move(callback);
}

void DebugLogCollector::setOnEventsPerSecUpdated(EventsPerSecondCallback callback) {
    state_->onEventsPerSecUpdated = std::move(callback);
}

void DebugLogCollector::flush() {
    queue_.flush();
}

}  // namespace drawlume
