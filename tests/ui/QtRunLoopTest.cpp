#include <QThread>
#include <QtTest>
#include <atomic>
#include <thread>
#include <vector>

#include <unistd.h>

#include "ui/QtRunLoop.hpp"
#include "ui/QtScreenList.hpp"

namespace drawlume {

class QtRunLoopTest : public QObject {
    Q_OBJECT

private slots:
    void tasksFromAnyThreadRunOnTheMainThreadInOrder() {
        QtRunLoop loop;
        std::vector<int> order;
        std::atomic<bool> offMain{false};
        loop.postAfter(0.05, [&] { order.push_back(3); });
        std::thread worker([&] {
            loop.post([&] {
                offMain = QThread::currentThread() != qApp->thread();
                order.push_back(1);
            });
            loop.post([&] { order.push_back(2); });
        });
        worker.join();
        QTRY_COMPARE(order.size(), size_t{3});
        QCOMPARE(order, (std::vector<int>{1, 2, 3}));
        QVERIFY(!offMain);
    }

    void readableDescriptorCallsItsWatcherUntilUnwatched() {
        QtRunLoop loop;
        int fds[2];
        QVERIFY(::pipe(fds) == 0);
        int calls = 0;
        RunLoop::WatchId id = 0;
        id = loop.watchReadable(fds[0], [&] {
            char byte;
            QVERIFY(::read(fds[0], &byte, 1) == 1);
            if (++calls == 2) {
                loop.unwatch(id);  // from inside its own callback
            }
        });
        QVERIFY(::write(fds[1], "ab", 2) == 2);
        QTRY_COMPARE(calls, 2);
        QVERIFY(::write(fds[1], "c", 1) == 1);
        QTest::qWait(50);
        QCOMPARE(calls, 2);
        ::close(fds[0]);
        ::close(fds[1]);
    }

    void screensBesideAndAboveThePrimaryGetBottomLeftFrames() {
        const auto frames = QtScreenList::convert({
            {"primary", 0, 0, 1920, 1080},
            {"left", -1280, 200, 1280, 1024},
            {"above", 0, -900, 1440, 900},
        });
        QCOMPARE(frames.size(), size_t{3});
        QCOMPARE(frames[0].frame, (Rect{{0, 0}, {1920, 1080}}));
        QCOMPARE(frames[1].frame, (Rect{{-1280, -144}, {1280, 1024}}));
        QCOMPARE(frames[2].frame, (Rect{{0, 1080}, {1440, 900}}));
        QCOMPARE(frames[1].name, std::string("left"));

        const auto shifted = QtScreenList::convert({{"primary", 100, 50, 800, 600}});
        QCOMPARE(shifted[0].frame, (Rect{{0, 0}, {800, 600}}));
    }
};

}  // namespace drawlume

QTEST_MAIN(drawlume::QtRunLoopTest)
#include "QtRunLoopTest.moc"
