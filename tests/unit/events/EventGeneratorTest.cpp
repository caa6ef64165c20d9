#include <gtest/gtest.h>

#include "events/EventGenerator.hpp"
#include "platform/fake/FakeTranslationServices.hpp"

namespace drawlume {
namespace {

// Two screens side by side: the primary 1920x1080 and a 1280x1024 one to its
// right whose top edge lies 100 points above the primary's (frames in
// bottom-left coordinates, as the window system gives them).
const ScreenDescription kPrimary{"Primary", Rect{{0, 0}, {1920, 1080}}};
const ScreenDescription kRight{"Right", Rect{{1920, 156}, {1280, 1024}}};

TEST(RelativeMoveTest, TargetsOnAScreenStayAndOthersLandOnTheNearestPointOfTheNearestScreen) {
    FakeTranslationServices services;
    services.screenList.setScreens({kPrimary, kRight});
    // Unaccelerated, so that targets are the plain sums.
    services.userDefaults.set("pointerAcceleration", false);
    EventGenerator events(kCGHIDEventTap, services.environment());
    struct Case {
        Point from;
        int8_t dx, dy;
        Point expected;
    };
    const Case cases[] = {
        // On the right screen, where it reaches 100 points above the primary: kept.
        {{2000, -90}, 0, -10, {2000, -100}},
        // Left of every screen, at a height inside the primary: x = its minimum.
        {{3, 500}, -10, 0, {0, 500}},
        // Below the primary: its maximum y minus one.
        {{700, 1075}, 0, 20, {700, 1079}},
        // Right of everything: the right screen's last column.
        {{3195, 300}, 10, 0, {3199, 300}},
        // Above the primary beside the right screen's overhang: the primary's top row.
        {{1900, 5}, 0, -15, {1900, 0}},
        // Just under the right screen's bottom edge (y 924): the primary's last
        // column is 6 points away, the right screen's last row 7.
        {{1925, 920}, 0, 10, {1919, 930}},
    };
    for (const Case& item : cases) {
        services.eventSink.pointerLocation = item.from;
        events.postRelativeMouseEvent(kCGEventMouseMoved, item.dx, item.dy, 0, 0);
        EXPECT_EQ(services.eventSink.records.back().location, item.expected)
            << "from " << item.from.x << "," << item.from.y;
    }
}

TEST(PointerAccelerationSettingTest, OnlyAStoredBooleanFalseSwitchesAccelerationOff) {
    const std::pair<std::optional<DefaultsValue>, bool> rows[] = {
        {std::nullopt, true},
        {DefaultsValue{true}, true},
        {DefaultsValue{false}, false},
        {DefaultsValue{std::string("false")}, true},
        {DefaultsValue{int64_t{0}}, true},
    };
    for (const auto& [value, accelerated] : rows) {
        FakeTranslationServices services;
        if (value) {
            services.userDefaults.set("pointerAcceleration", *value);
        }
        const EventGenerator generator(kCGHIDEventTap, services.environment());
        EXPECT_EQ(generator.pointerAccelerator().has_value(), accelerated);
    }
}

}  // namespace
}  // namespace drawlume
