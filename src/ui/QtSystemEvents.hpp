#pragma once

#include <QObject>
#include <memory>

#include "services/RunLoop.hpp"
#include "services/SystemEvents.hpp"

class QScreen;

namespace drawlume {

class QtScreenList;

// Application activation and screen changes from Qt (sleep and wake come from
// logind, posted by the run). The screen list is refreshed before anyone hears
// of a change.
class QtSystemEvents final : public QObject, public SystemEventsHub {
    Q_OBJECT

public:
    QtSystemEvents(QtScreenList& screens, QObject* parent = nullptr);
    ~QtSystemEvents() override;

private:
    void watchScreen(QScreen* screen);
    void screensChanged();

    QtScreenList& screens_;
};

}  // namespace drawlume
