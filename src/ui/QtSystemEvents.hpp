#pragma once

#include <QObject>
#include <memory>

#include "services/RunLoop.hpp"
#include "services/SystemEvents.hpp"

class QScreen;

namespace drawlume {

class LogindSleepWatcher;
class QtScreenList;

// Application activation and screen changes from Qt, sleep and wake from
// logind. The screen list is refreshed before anyone hears of a change.
class QtSystemEvents final : public QObject, public SystemEventsHub {
    Q_OBJECT

public:
    QtSystemEvents(QtScreenList& screens, QObject* parent = nullptr);
    ~QtSystemEvents() override;

    // Starts following logind, served on the loop; false when there is no system bus.
    bool startSleepWatch(RunLoop& loop);

private:
    void watchScreen(QScreen* screen);
    void screensChanged();

    QtScreenList& screens_;
    std::unique_ptr<LogindSleepWatcher> sleepWatcher_;
};

}  // namespace drawlume
