#include "ui/QtSystemEvents.hpp"

#include <QGuiApplication>
#include <QScreen>

#include "ui/QtScreenList.hpp"

namespace drawlume {

QtSystemEvents::QtSystemEvents(QtScreenList& screens, QObject* parent)
    : QObject(parent), screens_(screens) {
    auto* application = qGuiApp;
    connect(application, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive) {
                    post(SystemEvent::applicationDidBecomeActive);
                }
            });
    connect(application, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watchScreen(screen);
        screensChanged();
    });
    connect(application, &QGuiApplication::screenRemoved, this, [this] { screensChanged(); });
    connect(application, &QGuiApplication::primaryScreenChanged, this,
            [this] { screensChanged(); });
    for (QScreen* screen : QGuiApplication::screens()) {
        watchScreen(screen);
    }
}

QtSystemEvents::~QtSystemEvents() = default;

void QtSystemEvents::watchScreen(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, [this] { screensChanged(); });
}

void QtSystemEvents::screensChanged() {
    screens_.refresh();
    post(SystemEvent::screenParametersChanged);
}

}  // namespace drawlume
