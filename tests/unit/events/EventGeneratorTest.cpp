#include <functional>

#include <gtest/gtest.h>

#include "events/EventGenerator.hpp"
#include "platform/fake/FakeTranslationServices.hpp"

namespace drawlume {
namespace {

constexpr CGEventTapLocation kTap = 7;  // not the default, so the record must carry it
const Point kAt{812.5, 455.25};

class EventGeneratorTest : public ::testing::Test {
protected:
    FakeTranslationServices services;
    EventGenerator generator{kTap, services.environment()};
};

TEST_F(EventGeneratorTest, NothingIsPostedWhenNoEventCanBeCreated) {
    services.eventSink.canCreate = false;
    const std::function<void()> operations[] = {
        [&] { generator.postProximityEnter(kAt, false); },
        [&] { generator.postTabletMove(kAt, 0, 0, 0); },
        [&] { generator.postRightMouseDown(kAt); },
        [&] { generator.postRightMouseDragged(kAt); },
        [&] { generator.postRightMouseUp(kAt); },
        [&] { generator.postTabletPointer(kAt); },
        [&] { generator.postPenDown(kAt, 1, 0, 0, 0, false, 1); },
        [&] { generator.postPenDragged(kAt, 1, 0, 0, 0, false); },
        [&] { generator.postPenUp(kAt, false, 1); },
        [&] { generator.postProximityExit(false); },
        [&] { generator.postRelativeMouseEvent(kCGEventMouseMoved, 3, 4, 0, 0); },
        [&] { generator.postScrollEvent(1, 0); },
        [&] { generator.postKeyboardEvent(0, true, 0); },
    };
    for (const auto& operation : operations) {
        operation();
    }
    EXPECT_TRUE(services.eventSink.records.empty());
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
