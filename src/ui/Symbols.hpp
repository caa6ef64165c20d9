#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace drawlume {

// Makes the bundled icons and pages reachable under ":/"; called by every use.
void ensureUiResources();

// Icons by the symbol names the windows use ("pencil.tip", "display", ...):
// the desktop's icon theme where it has a matching icon and no tint is asked
// for, the drawing bundled with the program otherwise.
QPixmap symbolPixmap(const QString& symbol, int size, const QColor& tint = QColor());
QIcon symbolIcon(const QString& symbol, const QColor& tint = QColor());

// The application icon ("AppIcon") at a size.
QPixmap appIconPixmap(int size);
QIcon appIcon();
// The tray icon: named after the theme's symbolic icon where the theme has
// it, so that status notifier hosts tint it to their panel, and drawn light
// with a dark outline (twoToneTrayPixmap) for trays that show the pixels.
QIcon trayIcon();
QPixmap twoToneTrayPixmap(int size);

}  // namespace drawlume
