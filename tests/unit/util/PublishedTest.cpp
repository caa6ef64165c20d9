#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "util/Published.hpp"

namespace drawlume {
namespace {

TEST(PublishedTest, ObserversHearEachAssignmentBeforeItTakesEffect) {
    Published<std::string> name("old");
    std::vector<std::string> heard;
    const Subscription subscription =
        name.subscribe([&](const std::string& next) { heard.push_back(name.get() + "->" + next); });
    EXPECT_TRUE(heard.empty());
    name.set("new");
    name.set("new");
    EXPECT_EQ(heard, (std::vector<std::string>{"old->new", "new->new"}));
    EXPECT_EQ(name.get(), "new");
}

TEST(PublishedTest, SubscriptionEndsWithItsToken) {
    Published<int> value(0);
    int calls = 0;
    {
        const Subscription subscription = value.subscribe([&](const int&) { ++calls; });
        value.set(1);
    }
    value.set(2);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(value.observerCount(), 0u);

    Subscription moved = value.subscribe([&](const int&) { ++calls; });
    Subscription target = std::move(moved);
    value.set(3);
    target.reset();
    value.set(4);
    EXPECT_EQ(calls, 2);

    // A token may outlive its publisher.
    {
        Published<int> gone(0);
        target = gone.subscribe([](const int&) {});
    }
    target.reset();
    EXPECT_FALSE(target.active());
}

TEST(PublishedTest, ObserversMayCancelAndSubscribeDuringANotification) {
    Published<int> value(0);
    std::vector<std::string> heard;
    Subscription second;
    Subscription added;
    const Subscription first = value.subscribe([&](const int& next) {
        heard.push_back("first " + std::to_string(next));
        second.reset();
        if (!added.active()) {
            added = value.subscribe(
                [&](const int& v) { heard.push_back("added " + std::to_string(v)); });
        }
    });
    second = value.subscribe(
        [&](const int& next) { heard.push_back("second " + std::to_string(next)); });
    value.set(1);
    value.set(2);
    EXPECT_EQ(heard, (std::vector<std::string>{"first 1", "first 2", "added 2"}));
}

}  // namespace
}  // namespace drawlume
