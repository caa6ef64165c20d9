#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSystemTrayIcon>
#include <QTimer>
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
    // Pressed, held while the debug view takes a thousand lines a second,
    // released: each choice lands, and nothing is remade under the pointer.
    // One user's session in the window, step by step.
    // NOLINTNEXTLINE(readability-function-size)
    void choicesTakeEffectWhileDebugLinesFlow() {
        Shell shell;
        shell.connect("aa:01", "First");
        shell.connect("aa:02", "Second");
        QTRY_VERIFY(shell.find<QPushButton>("deviceRow1") != nullptr);
        QTRY_VERIFY(shell.find<QPushButton>("displayRow1") != nullptr);
        shell.model().isDebugLogEnabled.set(true);
        DebugLogCollector& collector = shell.core.debugLogCollector();
        int sent = 0;
        QTimer flow;
        QObject::connect(&flow, &QTimer::timeout, [&] {
            collector.addLog("pen report " + std::to_string(++sent));
            collector.updateEventsPerSecond(1000);
        });
        flow.start(1);
        auto* box = shell.find<QListWidget>("debugBox");
        QTRY_COMPARE(box->count(), static_cast<int>(DebugLogCollector::maxLogLines));
        const int rowsBefore = shell.delegate.contentView()->rowsBuilt();
        const auto holdAndRelease = [](QWidget* target, QPoint at) {
            QTest::mousePress(target, Qt::LeftButton, {}, at);
            QTest::qWait(60);
            QTest::mouseRelease(target, Qt::LeftButton, {}, at);
            QTest::qWait(20);
        };

        QPointer<QPushButton> device = shell.find<QPushButton>("deviceRow1");
        holdAndRelease(device, device->rect().center());
        QVERIFY(device != nullptr);
        QTRY_COMPARE(QString::fromStdString(shell.model().selectedDevice.get()->productName),
                     QStringLiteral("Second"));
        QPointer<QPushButton> display = shell.find<QPushButton>("displayRow1");
        holdAndRelease(display, display->rect().center());
        QTRY_COMPARE(shell.model().selectedMonitor.get()->id, 1);
        QCOMPARE(shell.find<QPushButton>("deviceRow0")->text(), QStringLiteral("First"));
        // The note on mapping the pen by hand shows only while the desktop refuses.
        auto* unmapped = shell.find<QLabel>("displayUnmapped");
        QVERIFY(unmapped != nullptr && unmapped->isHidden());
        shell.model().penMayLandElsewhere.set(true);
        QTRY_VERIFY(!unmapped->isHidden());
        QVERIFY(unmapped->text().contains(QStringLiteral("Draw Quill")));
        shell.model().penMayLandElsewhere.set(false);
        QTRY_VERIFY(unmapped->isHidden());

        auto* menu = shell.find<QMenu>("languageMenu");
        menu->popup(QPoint(0, 0));
        QTRY_VERIFY(menu->isVisible());
        QPointer<QAction> korean;
        for (QAction* item : menu->actions()) {
            if (item->data().toInt() == static_cast<int>(AppLanguage::korean)) {
                korean = item;
            }
        }
        QVERIFY(korean != nullptr);
        holdAndRelease(menu, menu->actionGeometry(korean).center());
        QTRY_COMPARE(shell.core.localization().selectedLanguage().get(), AppLanguage::korean);

        flow.stop();
        QVERIFY(sent > 100);
        // Only the two rows whose choice changed were restyled, none made anew.
        QCOMPARE(shell.delegate.contentView()->rowsBuilt(), rowsBefore);
        QCOMPARE(shell.find<QLabel>("eventsPerSecond")->text(),
                 QString::fromStdString(shell.core.localization().localizedFormat(
                     "debug.logs.events_per_second", std::nullopt,
                     std::array<FormatArgument, 1>{FormatArgument(int64_t{1000})})));
        collector.flush();
        QTRY_COMPARE(box->item(box->count() - 1)
                         ->text()
                         .endsWith(QStringLiteral(" pen report %1").arg(sent)),
                     true);
        QCOMPARE(box->count(), static_cast<int>(DebugLogCollector::maxLogLines));
    }

    // Japanese, the permission block, debug on: taller than the screen. The
    // box gives up height first, the window stays on the screen and scrolls.
    void windowStaysOnTheScreen() {
        Shell shell(false);
        shell.core.localization().setLanguage(AppLanguage::japanese);
        shell.model().isDebugLogEnabled.set(true);
        MainWindow* window = shell.delegate.window();
        const QRect available = window->screen()->availableGeometry();
        window->move(available.left(), available.bottom() - 100);
        QTRY_VERIFY(shell.delegate.contentView()->sizeHint().height() > available.height());
        QTRY_VERIFY(window->frameGeometry().bottom() <= available.bottom());
        QVERIFY(window->frameGeometry().top() >= available.top());
        QVERIFY(window->frameGeometry().height() <= available.height());
        QCOMPARE(shell.find<QListWidget>("debugBox")->height(), DebugLogPanel::kMinimumBoxHeight);
        QVERIFY(shell.find<QScrollArea>("contentScroll")->verticalScrollBar()->isVisible());

        shell.model().isDebugLogEnabled.set(false);
        shell.core.localization().setLanguage(AppLanguage::english);
        shell.trust.grant();
        shell.events.post(SystemEvent::applicationDidBecomeActive);
        QTRY_VERIFY(!shell.find<QScrollArea>("contentScroll")->verticalScrollBar()->isVisible());
        QCOMPARE(window->height(),
                 shell.delegate.contentView()->height() + window->menuBar()->sizeHint().height());
    }

    // In Korean: the reason in Korean, the package's two commands with Copy,
    // Check Again that finds nothing new says so, and Set Up for Me runs the
    // same commands as root through pkexec, then reports what it found.
    // One user's session in the dialog, step by step.
    // NOLINTNEXTLINE(readability-function-size)
    void permissionHelpLeadsWithCommandsAndSetsUp() {
        std::vector<QStringList> runs;
        int exitStatus = 0;
        Shell shell(false);
        shell.setup.run = [&](const QString& program, const QStringList& arguments,
                              const std::function<void(int, const QString&)>& done) {
            runs.push_back(QStringList{program} + arguments);
            if (exitStatus == 0) {
                shell.trust.grant();
            }
            done(exitStatus, QStringLiteral("udevadm: not permitted"));
        };
        AppLocalization& localization = shell.core.localization();
        localization.setLanguage(AppLanguage::korean);
        QTRY_VERIFY(shell.find<QPushButton>("permissionButton")->isVisible());
        QTest::mouseClick(shell.find<QPushButton>("permissionButton"), Qt::LeftButton);
        auto* help = shell.find<QDialog>("permissionHelp");
        QVERIFY(help != nullptr && help->isVisible());
        const auto label = [&](const char* name) {
            return help->findChild<QLabel*>(QString::fromLatin1(name))->text();
        };
        QCOMPARE(label("permissionHelpReason"), QString::fromStdString(ContentView::reasonText(
                                                    localization, shell.model().permissionState)));
        QTRY_COMPARE(shell.find<QLabel>("permissionReason")->text(), label("permissionHelpReason"));
        QVERIFY(label("permissionHelpReason").contains("/dev/uinput"));
        QCOMPARE(label("permissionHelpScope"), shell.text("permission.help.scope"));
        QCOMPARE(label("permissionHelpWhich"), shell.text("permission.help.installed"));
        const QStringList commands = shell.setup.commands();
        QCOMPARE(commands.size(), 2);
        QVERIFY(help->findChild<QWidget*>("permissionCommand2") == nullptr);
        QTest::mouseClick(help->findChild<QPushButton*>("permissionCopy1"), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), commands[1]);
        QVERIFY(commands[1].startsWith("sudo udevadm control --reload"));

        QTest::mouseClick(help->findChild<QPushButton*>("permissionCheckAgain"), Qt::LeftButton);
        QCOMPARE(label("permissionHelpStatus"), shell.text("permission.help.unchanged"));

        exitStatus = 126;  // the password dialog dismissed
        QTest::mouseClick(help->findChild<QPushButton*>("permissionSetUp"), Qt::LeftButton);
        QCOMPARE(label("permissionHelpStatus"), shell.text("permission.help.setup.cancelled"));
        exitStatus = 1;
        QTest::mouseClick(help->findChild<QPushButton*>("permissionSetUp"), Qt::LeftButton);
        QCOMPARE(label("permissionHelpStatus"), shell.text("permission.help.setup.failed"));
        auto* details = help->findChild<QPlainTextEdit*>("permissionHelpDetails");
        QVERIFY(!details->isHidden());
        QCOMPARE(details->toPlainText(), QStringLiteral("udevadm: not permitted"));
        exitStatus = 0;
        QTest::mouseClick(help->findChild<QPushButton*>("permissionSetUp"), Qt::LeftButton);
        QCOMPARE(runs.size(), size_t{3});
        QCOMPARE(runs.back(), (QStringList{"pkexec", "/bin/sh", "-c",
                                           "modprobe uinput && udevadm control --reload && "
                                           "udevadm trigger --subsystem-match=misc "
                                           "--sysname-match=uinput && udevadm trigger "
                                           "--subsystem-match=hidraw && udevadm trigger "
                                           "--subsystem-match=input"}));
        QCOMPARE(label("permissionHelpStatus"), shell.text("permission.help.granted"));
        QCOMPARE(label("permissionHelpReason"), shell.text("permission.help.granted"));
        QTRY_VERIFY(shell.find<QWidget>("permissionBlock")->isHidden());
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
        shell.core.localization().setLanguage(AppLanguage::korean);
        QTRY_COMPARE(shell.delegate.aboutWindow()->windowTitle(), shell.text("window.about.title"));
        QCOMPARE(shell.delegate.window()->windowTitle(), shell.text("window.main.title"));
        QCOMPARE(shell.delegate.statusItem()->toolTip(), shell.text("tooltip.tray"));
        const char* keys[] = {"menu.about", "menu.check_for_updates", "menu.quit",
                              "menu.open",  "menu.log_folder",        "menu.exit"};
        const std::vector<QAction*> items = shell.delegate.menuItems();
        for (size_t i = 0; i < items.size(); ++i) {
            QCOMPARE(items[i]->text(), shell.text(keys[i]));
        }
        QVERIFY(shell.text("menu.quit") != QStringLiteral("Quit Drawlume"));
        QTRY_COMPARE(shell.find<QLabel>("statusValue")->text(),
                     shell.text("content.status.running"));
    }

    // Closing only hides the window; quitting stops the service first.
    void closingHidesAfterOneAlertOpenBringsItBackInPlaceAndQuittingStops() {
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

        shell.delegate.quitApp();
        QVERIFY(!shell.model().isRunning);
        QCOMPARE(shell.exitStatus, 0);
        QVERIFY(shell.delegate.window()->close());  // quitting: nothing refuses
    }
};

}  // namespace drawlume

QTEST_MAIN(drawlume::AppDelegateTest)
#include "AppDelegateTest.moc"
