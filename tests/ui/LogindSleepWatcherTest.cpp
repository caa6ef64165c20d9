#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QProcess>
#include <QtTest>
#include <vector>

#include <poll.h>
#include <unistd.h>

#include "PlatformTests.hpp"
#include "ui/LogindSleepWatcher.hpp"

namespace drawlume {

// Stands in for logind on a private bus: hands out delay locks as pipe ends
// and can tell when every copy of the last one handed out has been closed.
class FakeLogind : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    ~FakeLogind() override {
        for (int fd : readEnds_) {
            ::close(fd);
        }
    }
    int locksGiven() const { return static_cast<int>(readEnds_.size()); }
    bool lastLockReleased() const {
        pollfd check{readEnds_.back(), POLLIN, 0};
        return ::poll(&check, 1, 0) == 1 && (check.revents & POLLHUP) != 0;
    }

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString&, const QString&,
                                    const QString& mode) {
        lastWhat = what;
        lastMode = mode;
        int ends[2];
        if (::pipe(ends) != 0) {
            return {};
        }
        readEnds_.push_back(ends[0]);
        QDBusUnixFileDescriptor lock(ends[1]);  // keeps its own copy
        ::close(ends[1]);
        return lock;
    }

public:
    QString lastWhat;
    QString lastMode;

private:
    std::vector<int> readEnds_;
};

class LogindSleepWatcherTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        bus_.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1")});
        if (!bus_.waitForStarted(5000) || !bus_.waitForReadyRead(5000)) {
            QSKIP("dbus-daemon is not available");
        }
        address_ = QString::fromUtf8(bus_.readLine()).trimmed();
    }
    void cleanupTestCase() {
        bus_.kill();
        bus_.waitForFinished(5000);
    }

    void delayLockIsHeldReleasedForSleepAndTakenAgainAfterWake() {
        QDBusConnection logindSide = QDBusConnection::connectToBus(address_, "fake-logind");
        FakeLogind logind;
        QVERIFY(logindSide.registerService(QStringLiteral("org.freedesktop.login1")));
        QVERIFY(logindSide.registerObject(QStringLiteral("/org/freedesktop/login1"), &logind,
                                          QDBusConnection::ExportAllSlots));

        std::vector<bool> told;
        LogindSleepWatcher watcher(QDBusConnection::connectToBus(address_, "agent"),
                                   [&](bool goingToSleep) { told.push_back(goingToSleep); });
        QVERIFY(watcher.start());
        QTRY_VERIFY(watcher.holdsDelayLock());
        QCOMPARE(logind.lastWhat, QStringLiteral("sleep"));
        QCOMPARE(logind.lastMode, QStringLiteral("delay"));
        QVERIFY(!logind.lastLockReleased());

        announce(logindSide, true);
        QTRY_COMPARE(told.size(), size_t{1});
        QCOMPARE(told[0], true);
        QVERIFY(!watcher.holdsDelayLock());
        QTRY_VERIFY(logind.lastLockReleased());

        announce(logindSide, false);
        QTRY_COMPARE(told.size(), size_t{2});
        QCOMPARE(told[1], false);
        QTRY_VERIFY(watcher.holdsDelayLock());
        QCOMPARE(logind.locksGiven(), 2);

        QDBusConnection::disconnectFromBus("agent");
        QDBusConnection::disconnectFromBus("fake-logind");
    }

    void withoutABusTheWatcherSaysNoAndHoldsNothing() {
        LogindSleepWatcher watcher(
            QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), "none"),
            [](bool) {});
        QVERIFY(!watcher.start());
        QVERIFY(!watcher.holdsDelayLock());
    }

private:
    static void announce(QDBusConnection& bus, bool goingToSleep) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"));
        signal << goingToSleep;
        QVERIFY(bus.send(signal));
    }

    QProcess bus_;
    QString address_;
};

namespace {
const testing::RegisterPlatformTest<LogindSleepWatcherTest> registered;
}

}  // namespace drawlume

#include "LogindSleepWatcherTest.moc"
