#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include "events/EventGenerator.hpp"
#include "events/UserDefaultsHidSystemParameters.hpp"
#include "platform/fake/FakeTranslationServices.hpp"
#include "platform/linux/uinput/SinkFixture.hpp"
#include "platform/linux/uinput/UinputEventOutput.hpp"

namespace drawlume::testing {
namespace {

using Frames = std::vector<WrittenFrame>;

class UinputEventSinkTest : public SinkFixture {};

TEST_F(UinputEventSinkTest, PointerLandsOnTheRecordsLocationAndIsClampedOutside) {
    EXPECT_EQ(post(R::mouse(kCGEventMouseMoved, Point{100, 50}, kCGMouseButtonLeft)),
              Frames{pointerFrame({{EV_ABS, ABS_X, 3216}, {EV_ABS, ABS_Y, 3232}})});
    EXPECT_EQ(post(R::mouse(kCGEventMouseMoved, Point{100.5, 50.25}, kCGMouseButtonLeft)),
              Frames{pointerFrame({{EV_ABS, ABS_X, 3232}, {EV_ABS, ABS_Y, 3248}})});
    EXPECT_EQ(post(R::mouse(kCGEventMouseMoved, Point{-1e9, 1e9}, kCGMouseButtonLeft)),
              Frames{pointerFrame({{EV_ABS, ABS_X, 0}, {EV_ABS, ABS_Y, 32767}})});
    EXPECT_EQ(post(R::mouse(kCGEventMouseMoved, Point{1024, -1}, kCGMouseButtonLeft)),
              Frames{pointerFrame({{EV_ABS, ABS_X, 32767}, {EV_ABS, ABS_Y, 0}})});
}

TEST_F(UinputEventSinkTest, KeysSendNoRepeatsAndUnknownCodesAreDroppedWithOneWarningEach) {
    EXPECT_EQ(post(R::key(0, true)), Frames{keyboardFrame({{EV_KEY, KEY_A, 1}})});
    EXPECT_EQ(post(R::key(0, true)), Frames{});
    EXPECT_EQ(post(R::key(0x34, true)), Frames{});
    EXPECT_EQ(post(R::key(0x34, false)), Frames{});
    EXPECT_EQ(post(R::key(0xFFFF, true)), Frames{});
    EXPECT_EQ(logTexts(),
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
    EXPECT_EQ(logTexts(), std::vector<std::string>{"Released 7 held tools, buttons and keys"});

    // The translation still thinks the key is down; its late release changes nothing.
    EXPECT_EQ(post(R::key(0, false)), Frames{});

    // Destroying the sink lets go of what it still holds.
    post(R::key(0, true));
    sink_.reset();
    EXPECT_EQ(log_->take(), Frames{keyboardFrame({{EV_KEY, KEY_A, 0}})});
}

TEST_F(UinputEventSinkTest, TheOutputsDevicesLiveFromOpenToCloseAndAFailureIsLoggedOnce) {
    int attempts = 0;
    int failWith = ENOTTY;
    UinputEventOutput output(screens_, "/dev/uinput", [&](const std::string& path) {
        ++attempts;
        EXPECT_EQ(path, "/dev/uinput");
        if (failWith != 0) {
            return UinputEventOutput::Devices{nullptr, failWith, "creating the uinput device", ""};
        }
        return UinputEventOutput::Devices{std::make_unique<RecordingUinputWriter>(log_), 0, "", ""};
    });
    log_->take();
    output.post(R::key(0, true));
    EXPECT_FALSE(output.canCreateEvent());
    const AccessibilityTrustState unusable{false, AccessibilityTrustReason::outputUnusable,
                                           "/dev/uinput", ENOTTY, ""};
    EXPECT_EQ(output.open(), unusable);
    EXPECT_EQ(output.open(), unusable);  // asked again by the next permission check

    failWith = 0;
    EXPECT_EQ(output.open(), std::nullopt);
    EXPECT_EQ(output.open(), std::nullopt);  // already there: not created twice
    EXPECT_EQ(attempts, 3);
    EXPECT_TRUE(output.canCreateEvent());
    output.post(R::key(0, true));
    EXPECT_EQ(log_->take(), Frames{keyboardFrame({{EV_KEY, KEY_A, 1}})});

    output.close();
    EXPECT_EQ(log_->take(), Frames{keyboardFrame({{EV_KEY, KEY_A, 0}})});
    EXPECT_FALSE(output.isOpen());
    output.post(R::key(0, true));
    output.close();
    EXPECT_EQ(log_->take(), Frames{});
    EXPECT_EQ(logTexts(),
              (std::vector<std::string>{
                  "Cannot create the uinput devices: creating the uinput device",
                  "Released 1 held tools, buttons and keys", "Removed the uinput devices"}));
}

// The desktop is asked to map the pen by the chosen output's name once the
// devices exist; only where it says yes does the pen span that display alone.
TEST_F(UinputEventSinkTest, ThePenSpansTheChosenDisplayAloneOnlyWhereTheDesktopMappedIt) {
    screens_.setScreens(
        {{"eDP-1", Rect{{0, 0}, {1024, 512}}}, {"DP-2", Rect{{1024, 0}, {1024, 512}}}});
    std::vector<std::string> asked;
    PenDisplayMapping answer = PenDisplayMapping::mapped;
    UinputEventOutput output(
        screens_, "/dev/uinput",
        [&](const std::string&) {
            return UinputEventOutput::Devices{std::make_unique<RecordingUinputWriter>(log_), 0, "",
                                              "/dev/input/event9"};
        },
        {}, PointerMotion::absolute,
        [&](const std::string& node, const std::string& name) {
            asked.push_back(node + " " + name);
            return answer;
        });
    EXPECT_EQ(output.mapPenToDisplay(1), PenDisplayMapping::wholeDesktop);  // no devices yet
    EXPECT_TRUE(asked.empty());
    ASSERT_EQ(output.open(), std::nullopt);
    struct Case {
        int64_t display;
        PenDisplayMapping answer;
        int32_t centreX;  // ABS_X of the chosen display's centre
    };
    const Case cases[] = {
        {1, PenDisplayMapping::mapped, 16400},   // the middle of DP-2 alone
        {1, PenDisplayMapping::refused, 24584},  // three quarters across the desktop
        {1, PenDisplayMapping::wholeDesktop, 24584}, {0, PenDisplayMapping::mapped, 16400},
        {5, PenDisplayMapping::mapped, 24584},  // no such display: nothing asked
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.display);
        answer = c.answer;
        asked.clear();
        EXPECT_EQ(output.mapPenToDisplay(c.display),
                  c.display == 5 ? PenDisplayMapping::wholeDesktop : c.answer);
        EXPECT_EQ(asked, c.display == 5
                             ? std::vector<std::string>{}
                             : std::vector<std::string>{"/dev/input/event9 " +
                                                        screens_.screens()[c.display].name});
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
        CGMouseButton button;
        Frames expected;
    };
    const Step steps[] = {
        {kCGEventMouseMoved, 10, 0, kCGMouseButtonLeft, {pointerFrame({{EV_REL, REL_X, 10}})}},
        // Fast moves 8 ms apart: our curve would triple them.
        {kCGEventMouseMoved,
         127,
         -128,
         kCGMouseButtonLeft,
         {pointerFrame({{EV_REL, REL_X, 127}, {EV_REL, REL_Y, -128}})}},
        {kCGEventMouseMoved,
         127,
         -128,
         kCGMouseButtonLeft,
         {pointerFrame({{EV_REL, REL_X, 127}, {EV_REL, REL_Y, -128}})}},
        {kCGEventLeftMouseDown, 0, 0, kCGMouseButtonLeft, {pointerFrame({{EV_KEY, BTN_LEFT, 1}})}},
        {kCGEventLeftMouseDragged,
         -3,
         1,
         kCGMouseButtonLeft,
         {pointerFrame({{EV_REL, REL_X, -3}, {EV_REL, REL_Y, 1}})}},
        {kCGEventLeftMouseUp, 0, 0, kCGMouseButtonLeft, {pointerFrame({{EV_KEY, BTN_LEFT, 0}})}},
    };
    for (const Step& step : steps) {
        services.clocks.advance(0.008);
        generator.postRelativeMouseEvent(step.type, step.dx, step.dy, step.button, 0);
        EXPECT_EQ(log_->take(), step.expected) << step.type << " " << int{step.dx};
        EXPECT_EQ(sink_->currentPointerLocation(), (Point{512, 256}));
    }
    generator.postScrollEvent(-2, 0);
    EXPECT_EQ(log_->take(),
              Frames{pointerFrame({{EV_REL, REL_WHEEL_HI_RES, -240}, {EV_REL, REL_WHEEL, -2}})});
    // Whatever is stored, the desktop's own scaling wins on this path.
    services.userDefaults.set(UserDefaultsHidSystemParameters::kLinearScalingKey, int64_t{0});
    EXPECT_EQ(desktopScales.linearScalingMouseAcceleration(), 1);
    EXPECT_EQ(
        UserDefaultsHidSystemParameters(services.userDefaults).linearScalingMouseAcceleration(), 0);
}

}  // namespace
}  // namespace drawlume::testing
