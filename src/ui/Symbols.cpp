#include "ui/Symbols.hpp"

#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>

// The resources live in a static library, whose registration the linker
// would otherwise drop: register them before the first use.
static void registerUiResources() {
    Q_INIT_RESOURCE(resources);
}

namespace drawlume {

void ensureUiResources() {
    static const bool registered = [] {
        registerUiResources();
        return true;
    }();
    (void)registered;
}

namespace {

// Freedesktop icon names for the symbols a theme is likely to have.
QString themeName(const QString& symbol) {
    static const QHash<QString, QString> names = {
        {"exclamationmark.triangle.fill", "dialog-warning"},
        {"pencil.tip", "input-tablet"},
        {"display", "video-display"},
        {"info.circle", "dialog-information"},
        {"info.circle.fill", "dialog-information"},
        {"globe", "preferences-desktop-locale"},
        {"checkmark", "object-select"},
    };
    return names.value(symbol);
}

QPixmap render(const QString& resource, int size, const QColor& tint) {
    ensureUiResources();
    const qreal scale = qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(size, size) * scale);
    pixmap.setDevicePixelRatio(scale);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(resource);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(0, 0, size, size));
    if (tint.isValid()) {
        // Keep the drawing's shape, take the colour asked for.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(QRectF(0, 0, size, size), tint);
    }
    return pixmap;
}

}  // namespace

QPixmap symbolPixmap(const QString& symbol, int size, const QColor& tint) {
    if (!tint.isValid()) {
        const QString name = themeName(symbol);
        if (!name.isEmpty() && QIcon::hasThemeIcon(name)) {
            return QIcon::fromTheme(name).pixmap(size, size);
        }
    }
    return render(QStringLiteral(":/icons/%1.svg").arg(symbol), size, tint);
}

QIcon symbolIcon(const QString& symbol, const QColor& tint) {
    QIcon icon;
    for (const int size : {16, 24, 32, 48}) {
        icon.addPixmap(symbolPixmap(symbol, size, tint));
    }
    return icon;
}

QPixmap appIconPixmap(int size) {
    return render(QStringLiteral(":/icons/AppIcon.svg"), size, {});
}

QIcon appIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addPixmap(appIconPixmap(size));
    }
    return icon;
}

QIcon trayIcon(const QColor& colour) {
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48}) {
        icon.addPixmap(render(QStringLiteral(":/icons/dlbt_icon_tray.svg"), size, colour));
    }
    return icon;
}

}  // namespace drawlume
