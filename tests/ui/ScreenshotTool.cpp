// Photographs the real windows on a real X server (Xvfb, with a tray host):
// scripts/screenshots runs it and writes the PNGs the README and the
// reviewers look at. Each picture is one shell over scripted fakes of the
// platform, driven the way a user would see it.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "ShellFixture.hpp"
#include "app/DebugLogCollector.hpp"
#include "localization/AppLanguage.hpp"
#include "localization/AppLocalization.hpp"

namespace drawlume {
namespace {

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
    QTest::qWait(1000);
    return window->grab();
}

// Two companions, the first one drawing, and the debug box full of its lines;
// the window alone, or the whole screen to show where the window stands.
bool running(const QString& directory, AppLanguage language, const char* name,
             const std::vector<RecordedReport>& reports, bool wholeScreen = false,
             bool permitted = true) {
    Shell shell(permitted);
    shell.core.localization().setLanguage(language);
    auto pad = shell.connectPadAndPhone();
    QTest::qWait(1000);
    shell.model().isDebugLogEnabled.set(true);
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
    if (!wholeScreen) {
        return save(photograph(shell.delegate.window()), directory, name);
    }
    QWidget* window = shell.delegate.window();
    photograph(window);  // lets it settle and refit
    const QRect available = window->screen()->availableGeometry();
    const QRect frame = window->frameGeometry();
    const bool fits = available.contains(frame);
    std::printf("screenshots: %s: window %dx%d at %d,%d on %dx%d available at %d,%d%s\n", name,
                frame.width(), frame.height(), frame.x(), frame.y(), available.width(),
                available.height(), available.x(), available.y(), fits ? "" : " - OFF THE SCREEN");
    return save(window->screen()->grabWindow(0), directory, name) && fits;
}

bool permissionMissing(const QString& directory) {
    Shell shell(false);
    shell.core.localization().setLanguage(AppLanguage::english);
    return save(photograph(shell.delegate.window()), directory, "permission-missing.png");
}

// The permission help in English, as the package's user sees it.
bool permissionHelp(const QString& directory) {
    Shell shell(false);
    shell.core.localization().setLanguage(AppLanguage::english);
    QTest::qWait(300);
    shell.find<QPushButton>("permissionButton")->click();
    auto* help = shell.find<QWidget>("permissionHelp");
    if (help == nullptr) {
        std::fprintf(stderr, "screenshots: the permission help did not open\n");
        return false;
    }
    return save(photograph(help), directory, "permission-help.png");
}

bool aboutJapanese(const QString& directory) {
    Shell shell;
    shell.core.localization().setLanguage(AppLanguage::japanese);
    QTest::qWait(1000);
    shell.delegate.showAbout();
    return save(photograph(shell.delegate.aboutWindow()), directory, "about-ja.png");
}

// The shell's tray icon once a tray host has taken it; nothing, said on
// standard error, when the display has no tray host.
QSystemTrayIcon* shownTrayIcon(Shell& shell) {
    QSystemTrayIcon* tray = shell.delegate.statusItem();
    for (int wait = 0; wait < 50 && !QSystemTrayIcon::isSystemTrayAvailable(); ++wait) {
        QTest::qWait(100);
    }
    if (tray == nullptr || !QSystemTrayIcon::isSystemTrayAvailable()) {
        std::fprintf(stderr, "screenshots: no tray host on this display\n");
        return nullptr;
    }
    QTest::qWait(800);
    return tray;
}

// The whole screen with the tray icon's menu open next to the icon.
bool trayMenu(const QString& directory) {
    Shell shell;
    shell.core.localization().setLanguage(AppLanguage::english);
    QSystemTrayIcon* tray = shownTrayIcon(shell);
    if (tray == nullptr) {
        return false;
    }
    const QRect icon = tray->geometry();
    QMenu* menu = tray->contextMenu();
    menu->popup(icon.isValid() ? icon.bottomLeft() : QPoint(0, 0));
    QTest::qWait(600);
    return save(QGuiApplication::primaryScreen()->grabWindow(0), directory, "tray-menu.png");
}

double luminance(QRgb colour) {
    return (0.2126 * qRed(colour) + 0.7152 * qGreen(colour) + 0.0722 * qBlue(colour)) / 255.0;
}

// The panel strip around the tray icon, and a check that the icon stands out
// from the panel: enough of its pixels differ in brightness from the panel's
// commonest colour by at least 0.4 of the full scale.
bool trayContrast(const QString& directory, const char* name) {
    Shell shell;
    QSystemTrayIcon* tray = shownTrayIcon(shell);
    if (tray == nullptr) {
        return false;
    }
    const QRect icon = tray->geometry();
    if (!icon.isValid()) {
        std::fprintf(stderr, "screenshots: the tray icon has no place on the screen\n");
        return false;
    }
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    // The panel: the commonest colour of the rows just above and below the
    // icon (beside it may lie the bare screen, the strip is that narrow).
    QHash<QRgb, int> counts;
    for (const int y : {icon.top() - 2, icon.top() - 1, icon.bottom() + 1, icon.bottom() + 2}) {
        for (int x = icon.left(); x <= icon.right(); ++x) {
            if (screen.rect().contains(x, y)) {
                ++counts[screen.pixel(x, y)];
            }
        }
    }
    const auto commonest = std::max_element(counts.cbegin(), counts.cend());
    const QRgb panel = commonest == counts.cend() ? 0 : commonest.key();
    int standingOut = 0;
    double sum = 0;
    for (int y = icon.top(); y <= icon.bottom(); ++y) {
        for (int x = icon.left(); x <= icon.right(); ++x) {
            const double brightness = luminance(screen.pixel(x, y));
            sum += brightness;
            standingOut += std::abs(brightness - luminance(panel)) >= 0.4 ? 1 : 0;
        }
    }
    const int pixels = icon.width() * icon.height();
    const double share = static_cast<double>(standingOut) / pixels;
    const bool readable = share >= 0.08;
    std::printf(
        "screenshots: %s: panel brightness %.2f, icon mean %.2f, %.0f %% of the icon's pixels "
        "stand out (at least 8 %%)%s\n",
        name, luminance(panel), sum / pixels, share * 100, readable ? "" : " - UNREADABLE");
    const QRect shown = icon.adjusted(-24, -6, 24, 6).intersected(screen.rect());
    return save(QPixmap::fromImage(screen.copy(shown).scaled(shown.size() * 4)), directory, name) &&
           readable;
}

}  // namespace
}  // namespace drawlume

int main(int argc, char** argv) {
    using drawlume::AppLanguage;
    QApplication application(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr,
                     "usage: %s OUTPUT-DIRECTORY PEN-RECORDING [main|tray-dark|tray-light|small]\n",
                     argv[0]);
        return 2;
    }
    const QString directory = QString::fromLocal8Bit(argv[1]);
    const std::vector<drawlume::RecordedReport> recording =
        drawlume::padReports(argv[2], "screenshots");
    if (recording.empty()) {
        return 2;
    }
    const std::string set = argc == 4 ? argv[3] : "main";
    QDir().mkpath(directory);
    bool ok = true;
    if (set == "tray-dark" || set == "tray-light") {
        return drawlume::trayContrast(
                   directory, set == "tray-dark" ? "tray-dark-panel.png" : "tray-light-panel.png")
                   ? 0
                   : 1;
    }
    if (set == "small") {
        // Every language with the debug box open, on a 1366 x 768 screen.
        for (const AppLanguage language : drawlume::kAllAppLanguages) {
            if (const auto code = drawlume::languageCode(language)) {
                const std::string name = "small-" + std::string(*code) + ".png";
                ok = drawlume::running(directory, language, name.c_str(), recording, true) && ok;
            }
        }
        // The tallest case: the permission block as well; the window scrolls.
        ok = drawlume::running(directory, AppLanguage::japanese, "small-ja-permission.png",
                               recording, true, false) &&
             ok;
        return ok ? 0 : 1;
    }
    ok = drawlume::permissionMissing(directory);
    ok = drawlume::running(directory, AppLanguage::english, "running-en.png", recording) && ok;
    ok = drawlume::running(directory, AppLanguage::korean, "running-ko.png", recording) && ok;
    ok = drawlume::running(directory, AppLanguage::simplifiedChinese, "running-zh-Hans.png",
                           recording) &&
         ok;
    ok = drawlume::permissionHelp(directory) && ok;
    ok = drawlume::aboutJapanese(directory) && ok;
    ok = drawlume::trayMenu(directory) && ok;
    return ok ? 0 : 1;
}
