#pragma once

#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "logging/DDLogMessage.hpp"
#include "util/SerialQueue.hpp"

namespace drawlume {

using DDLogMessagePtr = std::shared_ptr<const DDLogMessage>;

// The queue-and-write skeleton every logger shares: messages handed over
// asynchronously collect in an inbox and reach the subclass in batches on the
// logger's own serial queue, so a logger that writes files can write many
// lines at once. Subclasses implement the writing and stop the queue work in
// their destructor with finishPendingWork() before their own members go.
class DDAbstractLogger {
public:
    explicit DDAbstractLogger(std::string queueLabel);
    virtual ~DDAbstractLogger();

    DDAbstractLogger(const DDAbstractLogger&) = delete;
    DDAbstractLogger& operator=(const DDAbstractLogger&) = delete;

    // Hands messages over without waiting for them to be written.
    void enqueue(std::span<const DDLogMessagePtr> messages);
    // Returns after everything handed over before, and this message, is written.
    void logNow(const DDLogMessagePtr& message);
    // Returns after everything handed over is written and synchronised.
    void flush();

    SerialQueue& loggerQueue() { return queue_; }
    // True on the worker of any logger's queue.
    static bool isLoggerThread();

protected:
    // Called on the logger's queue, in the order the messages were logged.
    virtual void logMessages(std::span<const DDLogMessagePtr> messages);
    virtual void logMessage(const DDLogMessage& message) = 0;
    virtual void flushToStorage() {}

    void finishPendingWork();

private:
    void drainInbox();

    SerialQueue queue_;
    std::mutex inboxMutex_;
    std::vector<DDLogMessagePtr> inbox_;
    bool drainScheduled_ = false;
    std::vector<DDLogMessagePtr> batch_;  // touched only on the queue
};

}  // namespace drawlume
