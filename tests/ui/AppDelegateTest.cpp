#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QtTest>

#include "ShellFixture.hpp"
#include "app/DebugLogCollector.hpp"
#include "app/TabletViewModel.hpp"
#include "localization/AppLocalization.hpp"
#include "ui/AppDelegate.hpp"
#include "ui/ContentView.hpp"
#include "ui/DebugLogPanel.hpp"
#include "ui/MainWindow.hpp"

namespace drawlume {

class AppDelegateTest : public QObject {
    Q_OBJECT

private slots:
    void rowsSelectDevicesAndDisplays() {
        Shell shell;
        shell.connect("aa:01", "First");
        shell.connect("aa:02", "Second");
        QTRY_VERIFY(shell.find<QPushButton>("deviceRow1") != nullptr);
        QCOMPARE(shell.find<QPushButton>("deviceRow0")->text(), QStringLiteral("First"));
        QTest::mouseClick(shell.find<QPushButton>("deviceRow1"), Qt::LeftButton);
        QCOMPARE(QString::fromStdString(shell.model().selectedDevice.get()->productName),
                 QStringLiteral("Second"));
        QTRY_VERIFY(shell.find<QPushButton>("displayRow1") != nullptr);
        QTest::mouseClick(shell.find<QPushButton>("displayRow1"), Qt::LeftButton);
        QCOMPARE(shell.model().selectedMonitor.get()->id, 1);
    }

    void debugSwitchShowsTheBoxTheWindowFollowsAndClearEmptiesIt() {
        Shell shell;
        QTRY_VERIFY(shell.delegate.window()->height() > 0);
        const int before = shell.delegate.window()->height();
        auto* box = shell.find<QListWidget>("debugBox");
        QVERIFY(box->isHidden());
        QTest::mouseClick(shell.find<QAbstractButton>("debugSwitch"), Qt::LeftButton);
        QVERIFY(shell.model().isDebugLogEnabled);
        QTRY_VERIFY(!box->isHidden());
        QTRY_VERIFY(shell.delegate.window()->height() >= before + DebugLogPanel::kBoxHeight);

        shell.core.debugLogCollector().addLog("an interval - DELAY");
        QTRY_COMPARE(box->count(), 1);
        QCOMPARE(box->item(0)->foreground().color(), QColor(0xff, 0x45, 0x3a));
        QTest::mouseClick(shell.find<QPushButton>("clearButton"), Qt::LeftButton);
        QTRY_COMPARE(box->count(), 0);

        QTest::mouseClick(shell.find<QAbstractButton>("debugSwitch"), Qt::LeftButton);
        QTRY_VERIFY(shell.delegate.window()->height() < before + DebugLogPanel::kBoxHeight);
    }

    void languageChangeRetitlesMenusTrayAndBothWindows() {
        Shell shell;
        shell.delegate.showAbout();
        AppLocalization& localization = shell.core.localization();
        localization.setLanguage(AppLanguage::korean);
        const auto korean = [&](const char* key) {
            return QString::fromStdString(localization.localized(key));
        };
        QTRY_COMPARE(shell.delegate.aboutWindow()->windowTitle(), korean("window.about.title"));
        QCOMPARE(shell.delegate.window()->windowTitle(), korean("window.main.title"));
        QCOMPARE(shell.delegate.statusItem()->toolTip(), korean("tooltip.tray"));
        const char* keys[] = {"menu.about", "menu.check_for_updates", "menu.quit",
                              "menu.open",  "menu.log_folder",        "menu.exit"};
        const std::vector<QAction*> items = shell.delegate.menuItems();
        for (size_t i = 0; i < items.size(); ++i) {
            QCOMPARE(items[i]->text(), korean(keys[i]));
        }
        QVERIFY(korean("menu.quit") != QStringLiteral("Quit Drawlume"));
        QTRY_COMPARE(shell.find<QLabel>("statusValue")->text(), korean("content.status.running"));
    }

    void aboutWindowIsMadeOnceAndReused() {
        Shell shell;
        shell.delegate.showAbout();
        QWidget* first = shell.delegate.aboutWindow();
        first->move(first->pos() + QPoint(37, 23));
        const QPoint moved = first->pos();
        first->close();
        shell.delegate.showAbout();
        QCOMPARE(shell.delegate.aboutWindow(), first);
        QCOMPARE(first->pos(), moved);
        QVERIFY(first->isVisible());
    }

    void closingHidesAfterOneAlertAndOpenBringsTheWindowBackInPlace() {
        Shell shell;
        MainWindow* window = shell.delegate.window();
        window->move(123, 77);
        const QPoint place = window->pos();
        QVERIFY(!window->close());
        QCOMPARE(shell.alerts.shown.size(), size_t{1});
        QVERIFY(!window->isVisible());
        QVERIFY(shell.model().isRunning);
        shell.delegate.openWindow();
        QVERIFY(window->isVisible());
        QCOMPARE(window->pos(), place);
    }

    void quittingStopsTheServiceFirst() {
        Shell shell;
        QVERIFY(shell.model().isRunning);
        shell.delegate.quitApp();
        QVERIFY(!shell.model().isRunning);
        QCOMPARE(shell.exitStatus, 0);
        QVERIFY(shell.delegate.window()->close());  // quitting: nothing refuses
    }

    void missingPermissionShowsItsReasonAndWrappedTextsFit() {
        Shell shell(false);
        auto* block = shell.find<QWidget>("permissionBlock");
        QTRY_VERIFY(block->isVisible() || !shell.delegate.window()->isVisible());
        QVERIFY(!block->isHidden());
        QVERIFY(shell.find<QLabel>("permissionReason")->text().contains("/dev/uinput"));
        shell.delegate.window()->show();
        QTRY_VERIFY(shell.delegate.window()->isVisible());
        for (QLabel* label : shell.delegate.contentView()->findChildren<QLabel*>()) {
            if (label->wordWrap() && label->isVisible() && !label->text().isEmpty()) {
                QVERIFY2(label->height() >= label->heightForWidth(label->width()),
                         qPrintable(label->text()));
            }
        }
        shell.trust.grant();
        shell.events.post(SystemEvent::applicationDidBecomeActive);
        QTRY_VERIFY(block->isHidden());
    }
};

}  // namespace drawlume

QTEST_MAIN(drawlume::AppDelegateTest)
#include "AppDelegateTest.moc"
