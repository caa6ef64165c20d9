#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

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

TEST_F(UinputEventSinkTest, TheAxesSpanEveryDisplayWhereverTheOthersSitAroundThePrimary) {
    // A second display left of the primary: the desktop is 2048 wide and
    // starts at event x -1024.
    screens_.setScreens(
        {{"Primary", Rect{{0, 0}, {1024, 512}}}, {"Left", Rect{{-1024, 0}, {1024, 512}}}});
    sink_->screensChanged();
    EXPECT_EQ(post(R::mouse(kCGEventMouseMoved, Point{0, 256}, kCGMouseButtonLeft)),
              Frames{pointerFrame({{EV_ABS, ABS_X, 16392}, {EV_ABS, ABS_Y, 16416}})});
    EXPECT_EQ(post(R::mouse(kCGEventMouseMoved, Point{-1024, 0}, kCGMouseButtonLeft)),
              Frames{pointerFrame({{EV_ABS, ABS_X, 8}, {EV_ABS, ABS_Y, 32}})});

    // A display above the primary (bottom-left frame origin y = 512): event
    // y runs from -512 to 512.
    screens_.setScreens(
        {{"Primary", Rect{{0, 0}, {1024, 512}}}, {"Above", Rect{{0, 512}, {1024, 512}}}});
    sink_->screensChanged();
    EXPECT_EQ(post(R::mouse(kCGEventMouseMoved, Point{512, 256}, kCGMouseButtonLeft)),
              Frames{pointerFrame({{EV_ABS, ABS_X, 16400}, {EV_ABS, ABS_Y, 24592}})});
    EXPECT_EQ(post(R::mouse(kCGEventMouseMoved, Point{512, -512}, kCGMouseButtonLeft)),
              Frames{pointerFrame({{EV_ABS, ABS_Y, 16}})});

    // The pen uses the same desktop.
    EXPECT_EQ(post(R::proximityEnter(Point{0, -512}, false)).front().events.at(0),
              (EvdevEvent{EV_ABS, ABS_X, 16}));
}

TEST_F(UinputEventSinkTest, MouseButtonsPressAndReleaseWhereTheyHappen) {
    struct Case {
        CGEventType down, drag, up;
        CGMouseButton button;
        uint16_t code;
    };
    const Case cases[] = {
        {kCGEventLeftMouseDown, kCGEventLeftMouseDragged, kCGEventLeftMouseUp, kCGMouseButtonLeft,
         BTN_LEFT},
        {kCGEventRightMouseDown, kCGEventRightMouseDragged, kCGEventRightMouseUp,
         kCGMouseButtonRight, BTN_RIGHT},
        {kCGEventOtherMouseDown, kCGEventOtherMouseDragged, kCGEventOtherMouseUp,
         kCGMouseButtonCenter, BTN_MIDDLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        makeSink();
        EXPECT_EQ(post(R::mouse(c.down, Point{100, 50}, c.button, 1)),
                  Frames{pointerFrame(
                      {{EV_ABS, ABS_X, 3216}, {EV_ABS, ABS_Y, 3232}, {EV_KEY, c.code, 1}})});
        EXPECT_EQ(post(R::mouse(c.drag, Point{200, 50}, c.button)),
                  Frames{pointerFrame({{EV_ABS, ABS_X, 6416}})});
        EXPECT_EQ(post(R::mouse(c.up, Point{200, 50}, c.button, 1)),
                  Frames{pointerFrame({{EV_KEY, c.code, 0}})});
        EXPECT_EQ(post(R::mouse(c.up, Point{200, 50}, c.button, 1)), Frames{});
    }
    // A fourth button has no code on the pointer: only the motion goes out.
    EXPECT_EQ(post(R::mouse(kCGEventOtherMouseDown, Point{300, 50}, 3)),
              Frames{pointerFrame({{EV_ABS, ABS_X, 9616}})});
}

TEST_F(UinputEventSinkTest, ScrollSendsHighResolutionAndLegacyWheelsTogetherWithEvdevSigns) {
    // Line scrolls: positive vertical is up (as on evdev), positive
    // horizontal is left (negative on evdev).
    EXPECT_EQ(post(R::scroll(2, 0)),
              Frames{pointerFrame({{EV_REL, REL_WHEEL_HI_RES, 240}, {EV_REL, REL_WHEEL, 2}})});
    EXPECT_EQ(post(R::scroll(0, 3)),
              Frames{pointerFrame({{EV_REL, REL_HWHEEL_HI_RES, -360}, {EV_REL, REL_HWHEEL, -3}})});
    EXPECT_EQ(post(R::scroll(-1, -1)), Frames{pointerFrame({{EV_REL, REL_WHEEL_HI_RES, -120},
                                                            {EV_REL, REL_WHEEL, -1},
                                                            {EV_REL, REL_HWHEEL_HI_RES, 120},
                                                            {EV_REL, REL_HWHEEL, 1}})});
    EXPECT_EQ(post(R::scroll(0, 0)), Frames{});
    EXPECT_EQ(post(R::scroll(INT32_MIN, 0)),
              Frames{pointerFrame(
                  {{EV_REL, REL_WHEEL_HI_RES, INT32_MIN}, {EV_REL, REL_WHEEL, INT32_MIN}})});
}

TEST_F(UinputEventSinkTest, EveryKeyTheKeyboardTranslationPostsReachesItsLinuxKey) {
    // The virtual key codes of the keyboard translation's usage table and of
    // the eight modifiers, beside the key at the same place on a PC keyboard.
    const std::pair<uint16_t, uint16_t> keys[] = {
        {0, KEY_A},           {11, KEY_B},         {8, KEY_C},          {2, KEY_D},
        {14, KEY_E},          {3, KEY_F},          {5, KEY_G},          {4, KEY_H},
        {34, KEY_I},          {38, KEY_J},         {40, KEY_K},         {37, KEY_L},
        {46, KEY_M},          {45, KEY_N},         {31, KEY_O},         {35, KEY_P},
        {12, KEY_Q},          {15, KEY_R},         {1, KEY_S},          {17, KEY_T},
        {32, KEY_U},          {9, KEY_V},          {13, KEY_W},         {7, KEY_X},
        {16, KEY_Y},          {6, KEY_Z},          {18, KEY_1},         {19, KEY_2},
        {20, KEY_3},          {21, KEY_4},         {23, KEY_5},         {22, KEY_6},
        {26, KEY_7},          {28, KEY_8},         {25, KEY_9},         {29, KEY_0},
        {36, KEY_ENTER},      {53, KEY_ESC},       {51, KEY_BACKSPACE}, {48, KEY_TAB},
        {49, KEY_SPACE},      {27, KEY_MINUS},     {24, KEY_EQUAL},     {33, KEY_LEFTBRACE},
        {30, KEY_RIGHTBRACE}, {42, KEY_BACKSLASH}, {41, KEY_SEMICOLON}, {39, KEY_APOSTROPHE},
        {50, KEY_GRAVE},      {43, KEY_COMMA},     {47, KEY_DOT},       {44, KEY_SLASH},
        {122, KEY_F1},        {120, KEY_F2},       {99, KEY_F3},        {118, KEY_F4},
        {96, KEY_F5},         {97, KEY_F6},        {98, KEY_F7},        {100, KEY_F8},
        {101, KEY_F9},        {109, KEY_F10},      {103, KEY_F11},      {111, KEY_F12},
        {114, KEY_INSERT},    {115, KEY_HOME},     {116, KEY_PAGEUP},   {117, KEY_DELETE},
        {119, KEY_END},       {121, KEY_PAGEDOWN}, {124, KEY_RIGHT},    {123, KEY_LEFT},
        {125, KEY_DOWN},      {126, KEY_UP},       {71, KEY_NUMLOCK},   {75, KEY_KPSLASH},
        {67, KEY_KPASTERISK}, {78, KEY_KPMINUS},   {69, KEY_KPPLUS},    {76, KEY_KPENTER},
        {83, KEY_KP1},        {84, KEY_KP2},       {85, KEY_KP3},       {86, KEY_KP4},
        {87, KEY_KP5},        {88, KEY_KP6},       {89, KEY_KP7},       {91, KEY_KP8},
        {92, KEY_KP9},        {82, KEY_KP0},       {65, KEY_KPDOT},     {59, KEY_LEFTCTRL},
        {56, KEY_LEFTSHIFT},  {58, KEY_LEFTALT},   {55, KEY_LEFTMETA},  {62, KEY_RIGHTCTRL},
        {60, KEY_RIGHTSHIFT}, {61, KEY_RIGHTALT},  {54, KEY_RIGHTMETA},
    };
    ASSERT_EQ(std::size(keys), 91u + 8u);
    for (const auto& [macKeyCode, linuxKey] : keys) {
        SCOPED_TRACE(macKeyCode);
        EXPECT_EQ(post(R::key(macKeyCode, true, 0x02)),
                  Frames{keyboardFrame({{EV_KEY, linuxKey, 1}})});
        EXPECT_EQ(post(R::key(macKeyCode, false)), Frames{keyboardFrame({{EV_KEY, linuxKey, 0}})});
    }
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
            return UinputEventOutput::Devices{nullptr, failWith, "creating the uinput device"};
        }
        return UinputEventOutput::Devices{std::make_unique<RecordingUinputWriter>(log_), 0, ""};
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

TEST_F(UinputEventSinkTest, ReleasingManyKeysSplitsThemOverFrames) {
    for (uint16_t code = 0; code < 0x30; ++code) {
        sink_->post(R::key(code, true));
    }
    const size_t held = log_->take().size();
    sink_->releaseAllHeldInput();
    const Frames frames = log_->take();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].events.size() + frames[1].events.size(), held);
}

TEST_F(UinputEventSinkTest, AFailedWriteIsLoggedOnceAndNothingCountsAsHeld) {
    log_->failWith = ENODEV;
    sink_->post(R::key(0, true));
    sink_->post(R::mouse(kCGEventLeftMouseDown, Point{1, 1}, kCGMouseButtonLeft));
    sink_->post(R::key(1, true));
    EXPECT_EQ(logTexts(), (std::vector<std::string>{
                              "Cannot write to the uinput keyboard device: No such device",
                              "Cannot write to the uinput pointer device: No such device"}));
    log_->failWith = 0;
    sink_->releaseAllHeldInput();
    EXPECT_EQ(log_->take(), Frames{});
    // Once writing works again, the next change goes out in full.
    EXPECT_EQ(post(R::key(0, true)), Frames{keyboardFrame({{EV_KEY, KEY_A, 1}})});
}

class FakePointerSource final : public PointerPositionSource {
public:
    explicit FakePointerSource(std::optional<Point>& position) : position_(position) {}
    std::optional<Point> pointerPosition() override { return position_; }

private:
    std::optional<Point>& position_;
};

TEST_F(UinputEventSinkTest, PointerLocationIsTheLastOneSetWithoutAWindowSystemToAsk) {
    EXPECT_EQ(sink_->currentPointerLocation(), (Point{512, 256}));
    post(R::mouse(kCGEventMouseMoved, Point{10.25, 20.5}, kCGMouseButtonLeft));
    EXPECT_EQ(sink_->currentPointerLocation(), (Point{10.25, 20.5}));
    post(R::proximityEnter(Point{30, 40}, false));
    EXPECT_EQ(sink_->currentPointerLocation(), (Point{30, 40}));
    // Keys and wheels do not move the pointer.
    post(R::key(0, true));
    post(R::scroll(1, 0));
    EXPECT_EQ(sink_->currentPointerLocation(), (Point{30, 40}));

    UinputEventSink withoutDevices(nullptr, screens_);
    EXPECT_FALSE(withoutDevices.canCreateEvent());
    EXPECT_EQ(withoutDevices.currentPointerLocation(), std::nullopt);
    withoutDevices.post(R::key(0, true));
}

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

TEST_F(UinputEventSinkTest, WithoutDisplaysEverythingGoesToTheCornerWithAWarning) {
    screens_.setScreens({});
    sink_->screensChanged();
    EXPECT_EQ(post(R::mouse(kCGEventMouseMoved, Point{100, 50}, kCGMouseButtonLeft)), Frames{});
    EXPECT_EQ(logTexts().back(),
              "No displays listed: pen and pointer positions all go to the desktop's top-left "
              "corner");
}

}  // namespace
}  // namespace drawlume::testing
