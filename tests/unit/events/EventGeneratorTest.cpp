#include <functional>

#include <gtest/gtest.h>

#include "events/EventGenerator.hpp"
#include "events/RecordFields.hpp"
#include "platform/fake/FakeTranslationServices.hpp"

namespace drawlume {
namespace {

using testing::doubleWrite;
using testing::FieldWrite;
using testing::fieldWrites;
using testing::integerWrite;
using Writes = std::vector<FieldWrite>;

constexpr CGEventTapLocation kTap = 7;  // not the default, so the record must carry it
const Point kAt{812.5, 455.25};

class EventGeneratorTest : public ::testing::Test {
protected:
    FakeTranslationServices services;
    EventGenerator generator{kTap, services.environment()};

    const EventRecord& onlyRecord() {
        EXPECT_EQ(services.eventSink.records.size(), 1u);
        return services.eventSink.records.back();
    }
};

// The tablet point fields that mark a mouse event as the pen's.
const FieldWrite kSubtype = integerWrite(kCGMouseEventSubtype, 1);
const FieldWrite kDeviceID = integerWrite(kCGTabletEventDeviceID, 1);
const FieldWrite kPointX = doubleWrite(kCGTabletEventPointX, kAt.x);
const FieldWrite kPointY = doubleWrite(kCGTabletEventPointY, kAt.y);

Writes pressureWrites(bool barrel, double pressure) {
    return {integerWrite(kCGTabletProximityEventEnterProximity, 1),
            kSubtype,
            kDeviceID,
            integerWrite(kCGTabletEventPointButtons, barrel ? 3 : 1),
            kPointX,
            kPointY,
            doubleWrite(kCGTabletEventPointPressure, pressure),
            doubleWrite(kCGTabletEventTiltX, 0.1),
            doubleWrite(kCGTabletEventTiltY, 0.2),
            doubleWrite(kCGTabletEventRotation, 45),
            doubleWrite(kCGMouseEventPressure, pressure)};
}

TEST_F(EventGeneratorTest, PenDownAndDraggedChooseTheButtonByBarrelAndOnlyDownCarriesClicks) {
    generator.postPenDown(kAt, 0.42, 0.1, -0.2, 45, false, 2);
    generator.postPenDown(kAt, 0.42, 0.1, -0.2, 45, true, 1);
    generator.postPenDragged(kAt, 0.5, 0.1, -0.2, 45, false);
    generator.postPenDragged(kAt, 0.5, 0.1, -0.2, 45, true);
    const auto& records = services.eventSink.records;
    ASSERT_EQ(records.size(), 4u);

    Writes leftDown = pressureWrites(false, 0.42);
    leftDown.insert(leftDown.begin(), integerWrite(kCGMouseEventClickState, 2));
    EXPECT_EQ(records[0].type, kCGEventLeftMouseDown);
    EXPECT_EQ(records[0].mouseButton, kCGMouseButtonLeft);
    EXPECT_EQ(records[0].location, kAt);
    EXPECT_EQ(records[0].tapLocation, kTap);
    EXPECT_EQ(fieldWrites(records[0]), leftDown);

    Writes rightDown = pressureWrites(true, 0.42);
    rightDown.insert(rightDown.begin(), integerWrite(kCGMouseEventClickState, 1));
    EXPECT_EQ(records[1].type, kCGEventRightMouseDown);
    EXPECT_EQ(records[1].mouseButton, kCGMouseButtonRight);
    EXPECT_EQ(fieldWrites(records[1]), rightDown);

    EXPECT_EQ(records[2].type, kCGEventLeftMouseDragged);
    EXPECT_EQ(records[2].mouseButton, kCGMouseButtonLeft);
    EXPECT_EQ(fieldWrites(records[2]), pressureWrites(false, 0.5));
    EXPECT_EQ(records[3].type, kCGEventRightMouseDragged);
    EXPECT_EQ(records[3].mouseButton, kCGMouseButtonRight);
    EXPECT_EQ(fieldWrites(records[3]), pressureWrites(true, 0.5));
}

TEST_F(EventGeneratorTest, KeyboardFlagsComeFromEitherSideOfEachModifierAndReplaceAllOthers) {
    struct Case {
        uint8_t modifiers;
        CGEventFlags flags;
    };
    const Case cases[] = {
        {0x00, 0},
        {0x12, kCGEventFlagMaskShift | kCGEventFlagMaskControl},
        {0x10, kCGEventFlagMaskControl},
        {0x40, kCGEventFlagMaskAlternate},
        {0x08, kCGEventFlagMaskCommand},
        {0xFF, kCGEventFlagMaskShift | kCGEventFlagMaskControl | kCGEventFlagMaskAlternate |
                   kCGEventFlagMaskCommand},
    };
    for (const Case& item : cases) {
        services.eventSink.records.clear();
        generator.postKeyboardEvent(56, item.modifiers % 2 == 0, item.modifiers);
        const EventRecord& record = onlyRecord();
        EXPECT_EQ(record.kind, EventRecordKind::keyboard);
        EXPECT_EQ(record.keyCode, 56);
        EXPECT_EQ(record.keyDown, item.modifiers % 2 == 0);
        EXPECT_TRUE(record.flagsSet) << "the flags must replace the event's own";
        EXPECT_EQ(record.flags, item.flags) << "modifiers " << int{item.modifiers};
    }
}

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
