#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "util/Subscription.hpp"

namespace drawlume {

// An observable value. Observers are told of each assignment before it takes
// effect, with the new value, even when it equals the current one (a reader of
// the property inside the observer still sees the old value); subscribing
// does not deliver the current value. Observers may subscribe or cancel from
// inside a notification: one cancelled there is not called any more, one
// added there is called from the next assignment on. Main thread only.
template <typename T>
class Published {
public:
    using Observer = std::function<void(const T& newValue)>;

    explicit Published(T initial = T{}) : value_(std::move(initial)) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& get() const { return value_; }
    operator const T&() const { return value_; }  // NOLINT(google-explicit-constructor)

    void set(T newValue) {
        // The observers of this moment; each is checked again before its call.
        std::vector<std::pair<uint64_t, std::shared_ptr<Observer>>> current = observers_->entries;
        for (const auto& [id, observer] : current) {
            if (observers_->contains(id)) {
                (*observer)(newValue);
            }
        }
        value_ = std::move(newValue);
    }

    // The subscription may outlive this object; it then does nothing.
    [[nodiscard]] Subscription subscribe(Observer observer) const {
        const uint64_t id = observers_->nextId++;
        observers_->entries.emplace_back(id, std::make_shared<Observer>(std::move(observer)));
        return Subscription([weak = std::weak_ptr<Observers>(observers_), id] {
            if (const std::shared_ptr<Observers> observers = weak.lock()) {
                observers->erase(id);
            }
        });
    }

    size_t observerCount() const { return observers_->entries.size(); }

private:
    struct Observers {
        std::vector<std::pair<uint64_t, std::shared_ptr<Observer>>> entries;
        uint64_t nextId = 0;

        bool contains(uint64_t id) const {
            for (const auto& entry : entries) {
                if (entry.first == id) {
                    return true;
                }
            }
            return false;
        }
        void erase(uint64_t id) {
            std::erase_if(entries, [id](const auto& entry) { return entry.first == id; });
        }
    };

    T value_;
    std::shared_ptr<Observers> observers_ = std::make_shared<Observers>();
};

}  // namespace drawlume
