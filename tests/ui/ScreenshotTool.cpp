// Photographs the real windows on a real X server (Xvfb, with a tray host):
// scripts/screenshots runs it and writes the PNGs the README and the
// reviewers look at. Each picture is one shell over scripted fakes of the
// platform, driven the way a user would see it.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <cstdio>

#include "ShellFixture.hpp"
#include "app/DebugLogCollector.hpp"
#include "localization/AppLocalization.hpp"
#include "platform/replay/HidRecordingParser.hpp"

namespace drawlume {
namespace {

void settle(int milliseconds = 1000) {
    QTest::qWait(milliseconds);
}

bool save(const QPixmap& picture, const QString& directory, const char* name) {
    const QString path = QDir(directory).filePath(QString::fromLatin1(name));
    if (picture.isNull() || !picture.save(path)) {
        std::fprintf(stderr, "screenshots: could not write %s\n", qPrintable(path));
        return false;
    }
    std::printf("screenshots: wrote %s (%dx%d)\n", qPrintable(path), picture.width(),
                picture.height());
    return true;
}

// The window as Qt draws it on this display. Read back from the X server
// instead, a window that grew while mapped on a server with no window manager
// came back with its last rows unpainted.
QPixmap photograph(QWidget* window) {
    if (!QTest::qWaitForWindowExposed(window)) {
        std::fprintf(stderr, "screenshots: the window was never shown\n");
    }
    settle();
    return window->grab();
}

// Two companions, the first one drawing, and the debug box full of its lines.
bool running(const QString& directory, AppLanguage language, const char* name,
             const std::string& recording) {
    Shell shell;
    shell.core.localization().setLanguage(language);
    auto pad = shell.connect("aa:01", "Studio Tablet");
    shell.connect("aa:02", "Pocket Phone");
    settle();
    shell.model().isDebugLogEnabled.set(true);
    const HidRecordingParser::Result parsed = HidRecordingParser::parseFile(recording);
    if (!parsed.recording || parsed.recording->devices.empty()) {
        std::fprintf(stderr, "screenshots: %s\n", parsed.message().c_str());
        return false;
    }
    const std::vector<RecordedReport>& reports = parsed.recording->devices.front().reports;
    int sent = 0;
    for (int round = 0; round < 3; ++round) {
        for (const RecordedReport& report : reports) {
            // Mostly steady 8 ms steps, now and then a late one, as over the air.
            shell.clocks.advance(++sent % 7 == 0 ? 0.021 : 0.008);
            pad->sendReport(report.bytes);
            QCoreApplication::processEvents();
        }
    }
    shell.core.debugLogCollector().updateEventsPerSecond(120);
    return save(photograph(shell.delegate.window()), directory, name);
}

bool permissionMissing(const QString& directory) {
    Shell shell(false);
    shell.core.localization().setLanguage(AppLanguage::english);
    return save(photograph(shell.delegate.window()), directory, "permission-missing.png");
}

bool aboutJapanese(const QString& directory) {
    Shell shell;
    shell.core.localization().setLanguage(AppLanguage::japanese);
    settle();
    shell.delegate.showAbout();
    return save(photograph(shell.delegate.aboutWindow()), directory, "about-ja.png");
}

// The whole screen with the tray icon's menu open next to the icon.
bool trayMenu(const QString& directory) {
    Shell shell;
    shell.core.localization().setLanguage(AppLanguage::english);
    QSystemTrayIcon* tray = shell.delegate.statusItem();
    for (int wait = 0; wait < 50 && !QSystemTrayIcon::isSystemTrayAvailable(); ++wait) {
        settle(100);
    }
    if (tray == nullptr || !QSystemTrayIcon::isSystemTrayAvailable()) {
        std::fprintf(stderr, "screenshots: no tray host on this display\n");
        return false;
    }
    settle(800);
    const QRect icon = tray->geometry();
    QMenu* menu = tray->contextMenu();
    menu->popup(icon.isValid() ? icon.bottomLeft() : QPoint(0, 0));
    settle(600);
    return save(QGuiApplication::primaryScreen()->grabWindow(0), directory, "tray-menu.png");
}

}  // namespace
}  // namespace drawlume

int main(int argc, char** argv) {
    using drawlume::AppLanguage;
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT-DIRECTORY PEN-RECORDING\n", argv[0]);
        return 2;
    }
    const QString directory = QString::fromLocal8Bit(argv[1]);
    const std::string recording = argv[2];
    QDir().mkpath(directory);
    bool ok = drawlume::permissionMissing(directory);
    ok = drawlume::running(directory, AppLanguage::english, "running-en.png", recording) && ok;
    ok = drawlume::running(directory, AppLanguage::korean, "running-ko.png", recording) && ok;
    ok = drawlume::running(directory, AppLanguage::simplifiedChinese, "running-zh-Hans.png",
                           recording) &&
         ok;
    ok = drawlume::aboutJapanese(directory) && ok;
    ok = drawlume::trayMenu(directory) && ok;
    return ok ? 0 : 1;
}
