#pragma once

#include <QObject>
#include <map>
#include <memory>

#include "services/RunLoop.hpp"

class QSocketNotifier;

namespace drawlume {

// The main run loop of the windowed application: Qt's event loop.
class QtRunLoop final : public QObject, public RunLoop {
    Q_OBJECT

public:
    explicit QtRunLoop(QObject* parent = nullptr);
    ~QtRunLoop() override;

    void post(Task task) override;
    void postAfter(double seconds, Task task) override;
    WatchId watchReadable(int fd, Task onReadable) override;
    void unwatch(WatchId id) override;

private:
    std::map<WatchId, std::unique_ptr<QSocketNotifier>> watches_;
    WatchId nextWatch_ = 1;
};

}  // namespace drawlume
