#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <libevdev/libevdev.h>

#include "TestData.hpp"
#include "app/TabletViewModel.hpp"
#include "platform/fake/FakeAccessibilityTrust.hpp"
#include "platform/fake/ManualRunLoop.hpp"
#include "platform/fake/RecordingAlerts.hpp"
#include "platform/linux/uinput/RecordingUinputWriter.hpp"
#include "platform/linux/uinput/UinputEventSink.hpp"
#include "platform/print/PrintingEventSink.hpp"
#include "platform/replay/HidRecordingParser.hpp"
#include "platform/replay/ReplayHidHost.hpp"
#include "program/AgentCore.hpp"

namespace drawlume {
namespace {

using testing::readFile;
using testing::testDataPath;

// Each shipped recording through discovery, activation, translation and
// event building, printed as drawlume-agent --print-events prints it, against
// the output kept beside the recording. After a deliberate change of the
// output, regenerate with
//   drawlume-agent --print-events --replay tests/data/NAME.hid --fast > tests/data/NAME.expected
// and review the difference.
class ReplayPipelineTest : public ::testing::TestWithParam<const char*> {};

std::shared_ptr<FixedScreenList> oneDisplay() {
    return std::make_shared<FixedScreenList>(
        std::vector<ScreenDescription>{{"Display", Rect{{0, 0}, {1920, 1080}}}});
}

// Plays the recordings into `sink`, each cut after its first `keptReports` reports.
template <class Sink>
void play(const std::vector<std::string>& names, Sink& sink,
          const std::shared_ptr<FixedScreenList>& screens, size_t keptReports = SIZE_MAX,
          ReplayPacing pacing = ReplayPacing::asFastAsPossible) {
    std::vector<HidRecording> recordings;
    size_t reports = 0;
    for (const std::string& name : names) {
        auto parsed = HidRecordingParser::parseFile(testDataPath(name + ".hid").string());
        EXPECT_TRUE(parsed.recording) << parsed.message();
        std::vector<RecordedReport>& kept = parsed.recording->devices[0].reports;
        kept.resize(std::min(kept.size(), keptReports));
        reports += kept.size();
        recordings.push_back(std::move(*parsed.recording));
    }
    ManualRunLoop loop;
    ReplayHidHost host(recordings, pacing);
    bool finished = false;
    host.setOnFinished([&finished] { finished = true; });
    RecordingAlerts alerts;
    SystemEventsHub events;
    FakeAccessibilityTrust trust;
    // What a device leaves held when it goes is let go of by the output, as
    // drawlume-agent --print-events does; the printer prints the releases.
    AgentCore core(AgentPlatform{loop, events, trust, sink, &sink, host, alerts, host.clocks(),
                                 screens, std::make_shared<InMemoryUserDefaults>()});
    const std::shared_ptr<TabletViewModel> model = core.makeViewModel();
    loop.runUntilIdle();
    if (pacing == ReplayPacing::recordedTimes) {
        // Each report waits on the run loop for its time: the last one's has not come yet.
        const auto last = recordings.back().devices[0].reports.back().microseconds;
        loop.advance(static_cast<double>(last) / 1e6 - 0.001);
        EXPECT_FALSE(finished);
        EXPECT_EQ(host.reportsPlayed(), reports - 1);
        loop.advance(0.002);
    }
    EXPECT_TRUE(finished);
    EXPECT_EQ(host.reportsPlayed(), reports);
    EXPECT_TRUE(alerts.shown.empty());
}

// What was printed of the recordings, as drawlume-agent --print-events prints it.
std::string replay(const std::vector<std::string>& names, size_t keptReports = SIZE_MAX,
                   ReplayPacing pacing = ReplayPacing::asFastAsPossible) {
    std::ostringstream printed;
    PrintingEventSink sink(printed, Point{960, 540});
    play(names, sink, oneDisplay(), keptReports, pacing);
    return printed.str();
}

TEST_P(ReplayPipelineTest, PrintedRecordsMatchTheExpectedOutput) {
    const std::string name = GetParam();
    EXPECT_EQ(replay({name}), readFile(testDataPath(name + ".expected")));
}

// The same through the uinput devices: the frames the kernel is given, one a
// line, against NAME.evdev. A difference is also written to NAME.evdev.actual
// in the test's working directory, to review and copy after a deliberate change.
TEST_P(ReplayPipelineTest, UinputFramesMatchTheExpectedFrames) {
    const std::string name = GetParam();
    auto log = std::make_shared<testing::WriterLog>();
    const std::shared_ptr<FixedScreenList> screens = oneDisplay();
    {
        UinputEventSink sink(std::make_unique<testing::RecordingUinputWriter>(log), *screens);
        play({name}, sink, screens);
    }
    constexpr const char* kRoles[] = {"pen", "pointer", "keyboard"};
    std::string frames;
    for (const testing::WrittenFrame& frame : log->take()) {
        frames += kRoles[static_cast<size_t>(frame.role)];
        for (const EvdevEvent& event : frame.events) {
            frames += std::string(" ") + libevdev_event_code_get_name(event.type, event.code) +
                      "=" + std::to_string(event.value);
        }
        frames += "\n";
    }
    const std::string expected = readFile(testDataPath(name + ".evdev"));
    if (frames != expected) {
        std::ofstream(name + ".evdev.actual") << frames;
    }
    EXPECT_EQ(frames, expected);
}

// Several recordings are several devices: the first is selected and played,
// and when it is removed the next one is selected and played.
TEST(ReplayPipelineSessionTest, RecordingsArePlayedOneAfterTheOther) {
    EXPECT_EQ(replay({"pen-stroke", "keyboard", "pen-stroke"}),
              readFile(testDataPath("pen-stroke.expected")) +
                  readFile(testDataPath("keyboard.expected")) +
                  readFile(testDataPath("pen-stroke.expected")));
}

// Played as recorded, each report waits for its time, and the records are
// those played as fast as possible.
TEST(ReplayPipelineSessionTest, RecordedTimesAreKeptOnTheRunLoop) {
    EXPECT_EQ(replay({"pen-stroke"}, SIZE_MAX, ReplayPacing::recordedTimes),
              readFile(testDataPath("pen-stroke.expected")));
}

// A recording that ends with keys or the pen held, as one cut short does:
// its end lets go of them, and the printout shows the releases.
TEST(ReplayPipelineSessionTest, WhatARecordingLeavesHeldIsReleasedAndPrintedAtItsEnd) {
    // Shift, then Shift+H.
    EXPECT_EQ(replay({"keyboard"}, 2),
              "kCGEventKeyDown key=56 down flags=0x20000 tap=0\n"
              "kCGEventKeyDown key=4 down flags=0x20000 tap=0\n"
              "kCGEventKeyUp key=56 up flags=0x0 tap=0\n"
              "kCGEventKeyUp key=4 up flags=0x0 tap=0\n");
    // The tip down: it lifts where it is, then the pen leaves.
    const std::string stroke = replay({"pen-stroke"}, 6);
    const std::string releases =
        "kCGEventLeftMouseUp mouse (536.149, 277.523) button=0 kCGMouseEventSubtype=1 tap=0\n"
        "kCGEventTabletProximity mouse (536.149, 277.523) button=0 "
        "kCGTabletProximityEventEnterProximity=0 kCGTabletProximityEventCapabilityMask=9671 "
        "kCGTabletProximityEventPointerType=1 kCGTabletProximityEventDeviceID=1 "
        "kCGTabletProximityEventVendorPointerType=2050 tap=0\n";
    ASSERT_GT(stroke.size(), releases.size());
    const std::string played = stroke.substr(0, stroke.size() - releases.size());
    EXPECT_EQ(stroke.substr(played.size()), releases);
    EXPECT_EQ(readFile(testDataPath("pen-stroke.expected")).rfind(played, 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(Recordings, ReplayPipelineTest,
                         ::testing::Values("pen-stroke", "pen-hover-barrel", "pen-eraser",
                                           "pen-turns", "pen-clicks", "mouse", "mouse-buttons",
                                           "keyboard", "keyboard-chords", "keyboard-keys"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::erase(name, '-');
                             return name;
                         });

}  // namespace
}  // namespace drawlume
