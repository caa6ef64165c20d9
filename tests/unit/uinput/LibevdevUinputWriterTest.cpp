#include <cerrno>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "displays/ScreenList.hpp"
#include "platform/linux/DesktopEventSink.hpp"
#include "platform/linux/LibevdevUinputWriter.hpp"

namespace drawlume {
namespace {

// The kernel's side is proven in the VM test; here, the failures a desktop
// without uinput produces must come back as values, with nothing left open.
TEST(LibevdevUinputWriterTest, AMissingNodeIsReportedWithItsPathAndErrno) {
    const LibevdevUinputWriter::Result result =
        LibevdevUinputWriter::create("/nonexistent/drawlume/uinput");
    EXPECT_EQ(result.writer, nullptr);
    EXPECT_EQ(result.error, ENOENT);
    EXPECT_EQ(result.failure, "open(/nonexistent/drawlume/uinput): No such file or directory");
}

TEST(LibevdevUinputWriterTest, ANodeThatIsNotUinputFailsTheCreationCleanly) {
    const LibevdevUinputWriter::Result result = LibevdevUinputWriter::create("/dev/null");
    EXPECT_EQ(result.writer, nullptr);
    EXPECT_NE(result.error, 0);
    EXPECT_EQ(result.failure.rfind("creating the uinput device \"Draw Quill\": ", 0), 0u)
        << result.failure;
}

TEST(LibevdevUinputWriterTest, WithoutDevicesTheDesktopSinkRunsAndPostsNothing) {
    FixedScreenList screens({{"Primary", Rect{{0, 0}, {800, 600}}}});
    const std::unique_ptr<UinputEventSink> sink =
        makeDesktopEventSink(screens, "/nonexistent/drawlume/uinput");
    ASSERT_NE(sink, nullptr);
    EXPECT_FALSE(sink->canCreateEvent());
    sink->post(EventRecord{});
    sink->releaseAllHeldInput();
}

}  // namespace
}  // namespace drawlume
