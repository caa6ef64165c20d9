#include "ui/LogindSleepWatcher.hpp"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include "logging/LogMacros.hpp"

namespace drawlume {

namespace {

constexpr const char* kLogFile = "Drawlume___Bluetooth_Agent/LogindSleepWatcher";
const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kInterface = QStringLiteral("org.freedesktop.login1.Manager");

}  // namespace

LogindSleepWatcher::LogindSleepWatcher(QDBusConnection bus, Callback callback, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), callback_(std::move(callback)) {}

LogindSleepWatcher::~LogindSleepWatcher() {
    releaseDelayLock();
}

bool LogindSleepWatcher::start() {
    if (!bus_.isConnected() ||
        !bus_.connect(kService, kPath, kInterface, QStringLiteral("PrepareForSleep"), this,
                      SLOT(prepareForSleep(bool)))) {
        DDLogWarn("start()", "No system bus: sleep and wake will not be followed (" +
                                 bus_.lastError().message().toStdString() + ")");
        return false;
    }
    takeDelayLock();
    return true;
}

void LogindSleepWatcher::prepareForSleep(bool goingToSleep) {
    if (callback_) {
        callback_(goingToSleep);
    }
    if (goingToSleep) {
        // Everything is let go of: sleep may go ahead.
        releaseDelayLock();
    } else {
        takeDelayLock();
    }
}

void LogindSleepWatcher::takeDelayLock() {
    if (lockFd_ >= 0) {
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("Drawlume agent")
         << QStringLiteral("Releases the companion's pen, buttons and keys before sleep")
         << QStringLiteral("delay");
    // Asynchronous: the main thread never waits on the bus.
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* watcher) {
                watcher->deleteLater();
                const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *watcher;
                if (reply.isError()) {
                    DDLogWarn("takeDelayLock()", "Could not take the sleep delay lock: " +
                                                     reply.error().message().toStdString());
                    return;
                }
                if (lockFd_ < 0 && reply.value().isValid()) {
                    lockFd_ = ::fcntl(reply.value().fileDescriptor(), F_DUPFD_CLOEXEC, 3);
                }
            });
}

void LogindSleepWatcher::releaseDelayLock() {
    if (lockFd_ >= 0) {
        ::close(lockFd_);
        lockFd_ = -1;
    }
}

}  // namespace drawlume
