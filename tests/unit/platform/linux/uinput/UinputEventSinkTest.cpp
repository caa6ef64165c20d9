#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include "LogCapture.hpp"
#include "events/EventGenerator.hpp"
#include "events/UserDefaultsHidSystemParameters.hpp"
#include "platform/fake/FakeTranslationServices.hpp"
#include "platform/linux/uinput/GeneratorRecords.hpp"
#include "platform/linux/uinput/RecordingUinputWriter.hpp"
#include "platform/linux/uinput/UinputEventOutput.hpp"
#include "platform/linux/uinput/UinputEventSink.hpp"

namespace drawlume::testing {
namespace {

using Frames = std::vector<WrittenFrame>;
using R = GeneratorRecords;

// The recordings pin the frames of strokes, tool switches, clicks, wheels and
// keys on one display; these are the sink's cases no recording brings about.
// A sink on a 1024 x 512 primary display: 32 axis units per pixel across,
// 64 down, so positions come out as round numbers (a whole pixel p maps to the
// middle of its units: p * 32 + 16 across, p * 64 + 32 down).
class UinputEventSinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        screens_.setScreens({{"Primary", Rect{{0, 0}, {1024, 512}}}});
        makeSink();
    }

    void makeSink(std::unique_ptr<PointerPositionSource> pointer = nullptr,
                  PointerMotion motion = PointerMotion::absolute) {
        sink_.reset();
        log_->frames.clear();
        sink_ = std::make_unique<UinputEventSink>(std::make_unique<RecordingUinputWriter>(log_),
                                                  screens_, std::move(pointer), motion);
    }

    std::vector<WrittenFrame> post(const EventRecord& record) {
        sink_->post(record);
        return log_->take();
    }

    LogCapture logCapture_;
    FixedScreenList screens_;
    std::shared_ptr<WriterLog> log_ = std::make_shared<WriterLog>();
    std::unique_ptr<UinputEventSink> sink_;
};

// Only what changed is written, and both axes start at 0.
TEST_F(UinputEventSinkTest, PointerBeyondTheDesktopIsClampedToItsEdges) {
    EXPECT_EQ(post(R::mouse(kCGEventMouseMoved, Point{1024, -1}, kCGMouseButtonLeft)),
              Frames{pointerFrame({{EV_ABS, ABS_X, 32767}})});
    EXPECT_EQ(post(R::mouse(kCGEventMouseMoved, Point{-1e9, 1e9}, kCGMouseButtonLeft)),
              Frames{pointerFrame({{EV_ABS, ABS_X, 0}, {EV_ABS, ABS_Y, 32767}})});
}

TEST_F(UinputEventSinkTest, KeysSendNoRepeatsAndUnknownCodesAreDroppedWithOneWarningEach) {
    EXPECT_EQ(post(R::key(0, true)), Frames{keyboardFrame({{EV_KEY, KEY_A, 1}})});
    EXPECT_EQ(post(R::key(0, true)), Frames{});
    EXPECT_EQ(post(R::key(0x34, true)), Frames{});
    EXPECT_EQ(post(R::key(0x34, false)), Frames{});
    EXPECT_EQ(post(R::key(0xFFFF, true)), Frames{});
    EXPECT_EQ(logCapture_.lines(),
              (std::vector<std::string>{
                  "No Linux key for virtual key code 52 (0x34): its key events are dropped",
                  "No Linux key for virtual key code 65535 (0xFFFF): its key events are dropped"}));
}

TEST_F(UinputEventSinkTest, ReleaseAllAndDestructionLetGoOfEverythingInWellFormedFramesOnce) {
    post(R::proximityEnter(Point{100, 50}, false));
    post(R::penDown(Point{100, 50}, 0.5, 0, 0, 0, true));
    post(R::mouse(kCGEventLeftMouseDown, Point{100, 50}, kCGMouseButtonLeft, 1));
    post(R::mouse(kCGEventOtherMouseDown, Point{100, 50}, kCGMouseButtonCenter, 1));
    post(R::key(0x38, true));  // left shift
    post(R::key(0, true));
    log_->take();

    sink_->releaseAllHeldInput();
    EXPECT_EQ(log_->take(),
              (Frames{penFrame({{EV_KEY, BTN_TOUCH, 0}, {EV_ABS, ABS_PRESSURE, 0}}),
                      penFrame({{EV_KEY, BTN_STYLUS2, 0}, {EV_KEY, BTN_TOOL_PEN, 0}}),
                      pointerFrame({{EV_KEY, BTN_LEFT, 0}, {EV_KEY, BTN_MIDDLE, 0}}),
                      keyboardFrame({{EV_KEY, KEY_A, 0}, {EV_KEY, KEY_LEFTSHIFT, 0}})}));
    sink_->releaseAllHeldInput();
    EXPECT_EQ(log_->take(), Frames{});
    EXPECT_EQ(logCapture_.lines(),
              std::vector<std::string>{"Released 7 held tools, buttons and keys"});

    // The translation still thinks the key is down; its late release changes nothing.
    EXPECT_EQ(post(R::key(0, false)), Frames{});

    // Destroying the sink lets go of what it still holds.
    post(R::key(0, true));
    sink_.reset();
    EXPECT_EQ(log_->take(), Frames{keyboardFrame({{EV_KEY, KEY_A, 0}})});
}

// The pen leaves range with the tip down and the barrel held: the lift comes a
// frame before the tool leaves. Re-entering only moves, and pressure stays
// within what libinput takes for a touch. (The recordings pin the in frames.)
TEST_F(UinputEventSinkTest, PenLeavingRangeWhilePressedLiftsAndPressureStaysATouch) {
    const Point centre{512, 256};
    post(R::proximityEnter(centre, false));
    post(R::penDown(centre, 0.5, 0, 0, 0, true));
    EXPECT_EQ(post(R::proximityExit(centre, false)),
              (Frames{penFrame({{EV_KEY, BTN_TOUCH, 0}, {EV_ABS, ABS_PRESSURE, 0}}),
                      penFrame({{EV_KEY, BTN_STYLUS2, 0}, {EV_KEY, BTN_TOOL_PEN, 0}})}));

    post(R::proximityEnter(centre, true));
    const Point nearCorner{100, 50};
    EXPECT_EQ(post(R::proximityEnter(nearCorner, true)),
              Frames{penFrame({{EV_ABS, ABS_X, 3216}, {EV_ABS, ABS_Y, 3232}})});
    post(R::penDown(nearCorner, 0.5, 0, 0, 0, false));
    EXPECT_EQ(post(R::penDragged(nearCorner, 0.001, 0, 0, 0, false)),
              Frames{penFrame({{EV_ABS, ABS_PRESSURE, 204}})});
    EXPECT_EQ(post(R::penDragged(nearCorner, 1.4, 0, 0, 0, false)),
              Frames{penFrame({{EV_ABS, ABS_PRESSURE, 4095}})});
}

// How the output says it cannot create its devices, and asks again at the
// next permission check, the VM run's output checks show; here, the devices
// are made once however often they are asked for, and closing lets go of
// what they hold and leaves nothing to post to.
TEST_F(UinputEventSinkTest, TheOutputsDevicesLiveFromOpenToClose) {
    int attempts = 0;
    UinputEventOutput output(screens_, "/dev/uinput", [&](const std::string&) {
        ++attempts;
        return UinputEventOutput::Devices{std::make_unique<RecordingUinputWriter>(log_), 0, "", ""};
    });
    output.post(R::key(0, true));  // no devices yet
    EXPECT_EQ(output.open(), std::nullopt);
    EXPECT_EQ(output.open(), std::nullopt);  // asked again by the next permission check
    EXPECT_EQ(attempts, 1);
    output.post(R::key(0, true));
    EXPECT_EQ(log_->take(), Frames{keyboardFrame({{EV_KEY, KEY_A, 1}})});

    output.close();
    EXPECT_EQ(log_->take(), Frames{keyboardFrame({{EV_KEY, KEY_A, 0}})});
    EXPECT_FALSE(output.isOpen());
    output.post(R::key(0, true));
    output.close();
    EXPECT_EQ(log_->take(), Frames{});
    EXPECT_EQ(logCapture_.lines(),
              (std::vector<std::string>{"Released 1 held tools, buttons and keys",
                                        "Removed the uinput devices"}));
}

// The desktop is asked to map the pen by the chosen output's name once the
// devices exist; only where it says yes does the pen span that display alone.
TEST_F(UinputEventSinkTest, ThePenSpansTheChosenDisplayAloneOnlyWhereTheDesktopMappedIt) {
    screens_.setScreens(
        {{"eDP-1", Rect{{0, 0}, {1024, 512}}}, {"DP-2", Rect{{1024, 0}, {1024, 512}}}});
    std::string asked;
    PenDisplayMapping answer = PenDisplayMapping::mapped;
    UinputEventOutput output(
        screens_, "/dev/uinput",
        [&](const std::string&) {
            return UinputEventOutput::Devices{std::make_unique<RecordingUinputWriter>(log_), 0, "",
                                              "/dev/input/event9"};
        },
        {}, PointerMotion::absolute,
        [&](const std::string& node, const std::string& name) {
            asked += node + " " + name;
            return answer;
        });
    EXPECT_EQ(output.mapPenToDisplay(1), PenDisplayMapping::wholeDesktop);  // no devices yet
    EXPECT_EQ(asked, "");
    ASSERT_EQ(output.open(), std::nullopt);
    using enum PenDisplayMapping;
    struct Case {
        int64_t display;
        PenDisplayMapping answer, result;
        const char* asked;
        int32_t centreX;  // ABS_X of the chosen display's centre
    };
    const Case cases[] = {
        {1, mapped, mapped, "/dev/input/event9 DP-2", 16400},    // the middle of DP-2 alone
        {1, refused, refused, "/dev/input/event9 DP-2", 24584},  // three quarters across
        {1, wholeDesktop, wholeDesktop, "/dev/input/event9 DP-2", 24584},
        {0, mapped, mapped, "/dev/input/event9 eDP-1", 16400},
        {5, mapped, wholeDesktop, "", 24584},  // no such display: nothing asked
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.display);
        answer = c.answer;
        asked.clear();
        EXPECT_EQ(output.mapPenToDisplay(c.display), c.result);
        EXPECT_EQ(asked, c.asked);
        log_->take();
        output.post(R::proximityEnter(Point{c.display == 0 ? 512.0 : 1536.0, 256}, false));
        const Frames frames = log_->take();
        ASSERT_FALSE(frames.empty());
        EXPECT_EQ(frames.back().events.at(0), (EvdevEvent{EV_ABS, ABS_X, c.centreX}));
        output.post(R::proximityExit(Point{}, false));
    }
}

class FakePointerSource final : public PointerPositionSource {
public:
    explicit FakePointerSource(std::optional<Point>& position) : position_(position) {}
    std::optional<Point> pointerPosition() override { return position_; }

private:
    std::optional<Point>& position_;
};

TEST_F(UinputEventSinkTest, WindowSystemPositionWinsOnlyWhenAnotherDeviceMovedThePointer) {
    // The X root window starts at the desktop's top-left: here a display
    // left of the primary puts it at event x -1024.
    screens_.setScreens(
        {{"Primary", Rect{{0, 0}, {1024, 512}}}, {"Left", Rect{{-1024, 0}, {1024, 512}}}});
    std::optional<Point> root = Point{1124, 60};
    makeSink(std::make_unique<FakePointerSource>(root));
    EXPECT_EQ(sink_->currentPointerLocation(), (Point{100, 60}));

    // Our move has not reached the window system yet: it still reports the old spot.
    post(R::mouse(kCGEventMouseMoved, Point{150.5, 60}, kCGMouseButtonLeft));
    EXPECT_EQ(sink_->currentPointerLocation(), (Point{150.5, 60}));
    // Now it has, in whole pixels: ours keeps its fraction.
    root = Point{1174, 60};
    EXPECT_EQ(sink_->currentPointerLocation(), (Point{150.5, 60}));
    // Another mouse moved it.
    root = Point{1500, 300};
    EXPECT_EQ(sink_->currentPointerLocation(), (Point{476, 300}));
    // No answer from the window system: the last known position.
    root.reset();
    EXPECT_EQ(sink_->currentPointerLocation(), (Point{476, 300}));
}

// Where the pointer's position cannot be read, the real generator drives a
// relative pointer: the counts of each report as they came, however fast the
// hand moves (the desktop accelerates them itself), buttons and wheels on
// the same device, and the pointer never pulled back to where we left it.
TEST_F(UinputEventSinkTest, RelativeMotionWritesTheReportsCountsUnacceleratedOnOneDevice) {
    makeSink(nullptr, PointerMotion::relative);
    FakeTranslationServices services;
    const UserDefaultsHidSystemParameters desktopScales(services.userDefaults, true);
    const TranslationEnvironment environment{
        *sink_,          services.userDefaults,      screens_,     services.targetFrame,
        services.clocks, services.debugLogCollector, desktopScales};
    EventGenerator generator(kCGHIDEventTap, environment);
    ASSERT_TRUE(generator.pointerAccelerator().has_value());
    struct Step {
        CGEventType type;
        int8_t dx, dy;
        std::vector<EvdevEvent> expected;  // on the pointer
    };
    // Fast moves 8 ms apart: our curve would triple them.
    const Step steps[] = {
        {kCGEventMouseMoved, 10, 0, {{EV_REL, REL_X, 10}}},
        {kCGEventMouseMoved, 127, -128, {{EV_REL, REL_X, 127}, {EV_REL, REL_Y, -128}}},
        {kCGEventMouseMoved, 127, -128, {{EV_REL, REL_X, 127}, {EV_REL, REL_Y, -128}}},
        {kCGEventLeftMouseDown, 0, 0, {{EV_KEY, BTN_LEFT, 1}}},
        {kCGEventLeftMouseDragged, -3, 1, {{EV_REL, REL_X, -3}, {EV_REL, REL_Y, 1}}},
        {kCGEventLeftMouseUp, 0, 0, {{EV_KEY, BTN_LEFT, 0}}},
    };
    for (const Step& step : steps) {
        services.clocks.advance(0.008);
        generator.postRelativeMouseEvent(step.type, step.dx, step.dy, kCGMouseButtonLeft, 0);
        EXPECT_EQ(log_->take(), Frames{pointerFrame(step.expected)})
            << step.type << " " << int{step.dx};
        EXPECT_EQ(sink_->currentPointerLocation(), (Point{512, 256}));
    }
    generator.postScrollEvent(-2, 0);
    EXPECT_EQ(log_->take(),
              Frames{pointerFrame({{EV_REL, REL_WHEEL_HI_RES, -240}, {EV_REL, REL_WHEEL, -2}})});
}

}  // namespace
}  // namespace drawlume::testing
