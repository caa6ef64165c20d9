#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace drawlume {

enum class SystemEvent {
    applicationDidBecomeActive,
    screenParametersChanged,
    willSleep,
    didWake,
};

// What the window system and the session tell the application: activation,
// screen changes, sleep and wake. Handlers run on the main run loop.
class SystemEvents {
public:
    using Handler = std::function<void()>;
    using ObserverToken = uint64_t;

    virtual ~SystemEvents() = default;
    virtual ObserverToken addObserver(SystemEvent event, Handler handler) = 0;
    virtual void removeObserver(ObserverToken token) = 0;
};

// Keeps the observers and tells them of an event. Platform implementations
// feed it; tests fire events by hand.
class SystemEventsHub : public SystemEvents {
public:
    ObserverToken addObserver(SystemEvent event, Handler handler) override {
        const ObserverToken token = nextToken_++;
        observers_.emplace(token, Observer{event, std::move(handler)});
        return token;
    }
    void removeObserver(ObserverToken token) override { observers_.erase(token); }

    // Calls every observer of the event; one removed by an earlier handler is skipped.
    void post(SystemEvent event) {
        std::vector<ObserverToken> tokens;
        for (const auto& [token, observer] : observers_) {
            if (observer.event == event) {
                tokens.push_back(token);
            }
        }
        for (const ObserverToken token : tokens) {
            const auto found = observers_.find(token);
            if (found != observers_.end()) {
                Handler handler = found->second.handler;
                handler();
            }
        }
    }
    size_t observerCount() const { return observers_.size(); }

private:
    struct Observer {
        SystemEvent event;
        Handler handler;
    };
    std::map<ObserverToken, Observer> observers_;
    ObserverToken nextToken_ = 1;
};

}  // namespace drawlume
