#include "ui/Symbols.hpp"

#include <QGuiApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>

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

namespace {

// The tray icon's name in the icon theme, installed with the package.
constexpr const char* kTrayIconName = "drawlume-agent-symbolic";

// The tray icon: by name for status notifier hosts, which tint a symbolic
// icon to their panel; drawn light with a dark outline for the rest (XEmbed
// trays take the pixels as they are), so it reads on dark and light panels.
class TrayIconEngine final : public QIconEngine {
public:
    explicit TrayIconEngine(QString name) : name_(std::move(name)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode /*mode*/, QIcon::State /*state*/) override {
        return twoToneTrayPixmap(std::min(size.width(), size.height()));
    }

    QList<QSize> availableSizes(QIcon::Mode /*mode*/, QIcon::State /*state*/) override {
        return {QSize(16, 16), QSize(22, 22), QSize(24, 24), QSize(32, 32), QSize(48, 48)};
    }

    QString iconName() override { return name_; }
    QString key() const override { return QStringLiteral("drawlume-tray"); }
    QIconEngine* clone() const override { return new TrayIconEngine(name_); }

private:
    QString name_;
};

}  // namespace

QPixmap twoToneTrayPixmap(int size) {
    const QPixmap light =
        render(QStringLiteral(":/icons/dlbt_icon_tray.svg"), size, QColor(0xf5, 0xf5, 0xf5));
    const QPixmap dark =
        render(QStringLiteral(":/icons/dlbt_icon_tray.svg"), size, QColor(0x14, 0x14, 0x14));
    QPixmap pixmap(light.size());
    pixmap.setDevicePixelRatio(light.devicePixelRatio());
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    // The outline: the dark shape, a little wider in every direction.
    const qreal width = std::max(1.0, size / 16.0);
    for (const QPointF offset : {QPointF(-width, 0), QPointF(width, 0), QPointF(0, -width),
                                 QPointF(0, width), QPointF(-width, -width), QPointF(width, width),
                                 QPointF(-width, width), QPointF(width, -width)}) {
        painter.drawPixmap(offset, dark);
    }
    painter.drawPixmap(QPointF(0, 0), light);
    return pixmap;
}

QIcon trayIcon() {
    // Named only where the theme has it (installed): a host looks the name up.
    const QString name =
        QIcon::hasThemeIcon(QString::fromLatin1(kTrayIconName)) ? kTrayIconName : QString();
    return QIcon(new TrayIconEngine(name));
}

}  // namespace drawlume
