#pragma once

#include <QDBusConnection>
#include <QObject>
#include <functional>

namespace drawlume {

// Follows the session manager's sleep announcements. A delay lock taken from
// logind holds sleep back until the agent has let go of everything the
// companion held (pen, buttons, keys); the lock is given back once that is
// done and taken again after wake. Without a system bus the agent runs on
// without sleep handling.
class LogindSleepWatcher final : public QObject {
    Q_OBJECT

public:
    using Callback = std::function<void(bool goingToSleep)>;

    LogindSleepWatcher(QDBusConnection bus, Callback callback, QObject* parent = nullptr);
    ~LogindSleepWatcher() override;

    // False, with one warning line, when the bus cannot be reached.
    bool start();
    bool holdsDelayLock() const { return lockFd_ >= 0; }

private slots:
    void prepareForSleep(bool goingToSleep);

private:
    void takeDelayLock();
    void releaseDelayLock();

    QDBusConnection bus_;
    Callback callback_;
    int lockFd_ = -1;
};

}  // namespace drawlume
