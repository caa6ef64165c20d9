#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace drawlume {

// A stored value keeps its type: a Boolean false, the text "false" and the
// integer 0 are three different things to the readers of a key.
using DefaultsValue = std::variant<bool, int64_t, std::string>;

// The user's settings, by key. Called on the main thread only.
class UserDefaults {
public:
    virtual ~UserDefaults() = default;

    // The stored value, or nothing when the key is absent.
    virtual std::optional<DefaultsValue> object(std::string_view key) const = 0;
    virtual void set(std::string_view key, DefaultsValue value) = 0;
    virtual void remove(std::string_view key) = 0;
};

// Settings that live as long as the object: for tests, and for runs that must
// not touch the user's files.
class InMemoryUserDefaults final : public UserDefaults {
public:
    std::optional<DefaultsValue> object(std::string_view key) const override {
        const auto found = values_.find(key);
        if (found == values_.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    void set(std::string_view key, DefaultsValue value) override {
        values_.insert_or_assign(std::string(key), std::move(value));
    }
    void remove(std::string_view key) override {
        const auto found = values_.find(key);
        if (found != values_.end()) {
            values_.erase(found);
        }
    }

private:
    std::map<std::string, DefaultsValue, std::less<>> values_;
};

}  // namespace drawlume
