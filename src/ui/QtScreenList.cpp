#include "ui/QtScreenList.hpp"

#include <QGuiApplication>
#include <QScreen>

namespace drawlume {

namespace {

// The output's own name (on Wayland the compositor's connector name, such
// as "DP-1"), which desktops know the display by when told to map a pen.
QString describe(const QScreen* screen) {
    return screen->name();
}

}  // namespace

std::vector<ScreenDescription> QtScreenList::convert(const std::vector<QtGeometry>& screens) {
    std::vector<ScreenDescription> frames;
    if (screens.empty()) {
        return frames;
    }
    const QtGeometry& primary = screens.front();
    // Qt's y grows downward from the top of the virtual desktop; ours grows
    // upward from the primary's bottom edge.
    const double primaryBottom = primary.y + primary.height;
    for (const QtGeometry& screen : screens) {
        ScreenDescription description;
        description.name = screen.name.toStdString();
        description.frame.origin.x = screen.x - primary.x;
        description.frame.origin.y = primaryBottom - (screen.y + screen.height);
        description.frame.size =
            Size{static_cast<double>(screen.width), static_cast<double>(screen.height)};
        frames.push_back(description);
    }
    return frames;
}

void QtScreenList::refresh() {
    std::vector<QtGeometry> geometries;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary != nullptr) {
        const QRect g = primary->geometry();
        geometries.push_back({describe(primary), g.x(), g.y(), g.width(), g.height()});
    }
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary) {
            const QRect g = screen->geometry();
            geometries.push_back({describe(screen), g.x(), g.y(), g.width(), g.height()});
        }
    }
    screens_ = convert(geometries);
}

}  // namespace drawlume
