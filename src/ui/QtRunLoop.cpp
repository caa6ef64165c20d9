#include "ui/QtRunLoop.hpp"

#include <QMetaObject>
#include <QSocketNotifier>
#include <QTimer>
#include <cmath>
#include <utility>

namespace drawlume {

QtRunLoop::QtRunLoop(QObject* parent) : QObject(parent) {}

QtRunLoop::~QtRunLoop() = default;

void QtRunLoop::post(Task task) {
    // Queued on this object's thread, the main thread, from whichever thread calls.
    QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

void QtRunLoop::postAfter(double seconds, Task task) {
    const int milliseconds = seconds > 0 ? static_cast<int>(std::lround(seconds * 1000)) : 0;
    QTimer::singleShot(milliseconds, this, std::move(task));
}

RunLoop::WatchId QtRunLoop::watchReadable(int fd, Task onReadable) {
    const WatchId id = nextWatch_++;
    auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this,
            [callback = std::move(onReadable)] { callback(); });
    watches_.emplace(id, std::move(notifier));
    return id;
}

void QtRunLoop::unwatch(WatchId id) {
    const auto found = watches_.find(id);
    if (found == watches_.end()) {
        return;
    }
    // The notifier may be the one whose signal is running right now.
    found->second->setEnabled(false);
    found->second.release()->deleteLater();
    watches_.erase(found);
}

}  // namespace drawlume
