// Runs the Qt platform test classes of this program one after another.
#include <QApplication>
#include <QtTest>

#include "PlatformTests.hpp"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    int failures = 0;
    for (QObject* test : drawlume::testing::platformTests()) {
        failures += QTest::qExec(test, argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
