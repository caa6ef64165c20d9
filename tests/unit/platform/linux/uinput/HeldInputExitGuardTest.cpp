#include <csignal>
#include <cstdlib>
#include <memory>
#include <vector>

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <sys/wait.h>
#include <unistd.h>

#include "displays/ScreenList.hpp"
#include "logging/DDLogFlag.hpp"
#include "platform/linux/uinput/GeneratorRecords.hpp"
#include "platform/linux/uinput/HeldInputExitGuard.hpp"
#include "platform/linux/uinput/UinputEventSink.hpp"

namespace drawlume {
namespace {

using testing::GeneratorRecords;

// Writes each frame to a pipe with write(2) alone, as the real writer does,
// so a child process can report what it released even from a signal handler.
class PipeWriter final : public UinputWriter {
public:
    explicit PipeWriter(int fd) : fd_(fd) {}
    int writeFrame(UinputDeviceRole role, std::span<const EvdevEvent> frame) noexcept override {
        for (const EvdevEvent& event : frame) {
            const EvdevEvent tagged{event.type, event.code,
                                    event.value * 10 + static_cast<int32_t>(role)};
            if (::write(fd_, &tagged, sizeof tagged) != sizeof tagged) {
                return EIO;
            }
        }
        return 0;
    }

private:
    int fd_;
};

// A child holds a key, a mouse button and a pen touch, then ends by a signal
// or by an exit that destroys nothing: its status is kept, and all is released.
TEST(HeldInputExitGuardTest, SignalsAndExitWithoutDestroyingTheSinkReleaseEverything) {
    // Made before the fork: the child only posts them.
    const EventRecord held[] = {
        GeneratorRecords::key(0, true),
        GeneratorRecords::mouse(kCGEventLeftMouseDown, Point{1, 1}, 0),
        GeneratorRecords::proximityEnter(Point{1, 1}, false),
        GeneratorRecords::penDown(Point{1, 1}, 0.5, 0, 0, 0, false),
    };
    // Value * 10 + role: pen 0, pointer 1, keyboard 2.
    const std::vector<EvdevEvent> allReleased = {
        {EV_KEY, BTN_TOUCH, 0}, {EV_ABS, ABS_PRESSURE, 0}, {EV_KEY, BTN_TOOL_PEN, 0},
        {EV_KEY, BTN_LEFT, 1},  {EV_KEY, KEY_A, 2},
    };
    for (const int signalNumber : {SIGTERM, SIGINT, 0}) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(fds[0]);
            setDDLogLevel(0);
            static FixedScreenList screens({{"Primary", Rect{{0, 0}, {1024, 512}}}});
            auto* sink = new UinputEventSink(std::make_unique<PipeWriter>(fds[1]), screens);
            for (const EventRecord& record : held) {
                sink->post(record);
            }
            const EvdevEvent marker{0xFFFF, 0xFFFF, 0};
            (void)!::write(fds[1], &marker, sizeof marker);
            new HeldInputExitGuard(*sink);  // neither is destroyed: the process ends under them
            signalNumber != 0 ? (void)::raise(signalNumber) : std::exit(0);
            ::_exit(99);
        }
        ::close(fds[1]);
        std::vector<EvdevEvent> released;  // the events written after the marker
        bool afterMarker = false;
        for (EvdevEvent event{}; ::read(fds[0], &event, sizeof event) == sizeof event;) {
            if (afterMarker && event.type != EV_SYN) {
                released.push_back(event);
            }
            afterMarker = afterMarker || event.type == 0xFFFF;
        }
        ::close(fds[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_EQ(status, signalNumber);  // a wait status: the signal, or exit code 0
        EXPECT_EQ(released, allReleased);
    }
}

}  // namespace
}  // namespace drawlume
