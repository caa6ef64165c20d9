#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "displays/ScreenList.hpp"
#include "platform/linux/uinput/DesktopEventSink.hpp"

namespace drawlume {
namespace {

// The kernel's side is proven in the VM test; here, a node that is missing, or
// that opens but is no uinput device (what a broken module or a wrong node
// gives): the output says why as a permission state, posts nothing and leaves
// nothing open.
TEST(LibevdevUinputWriterTest, ADesktopOutputWithoutDevicesSaysWhyAndPostsNothing) {
    FixedScreenList screens({{"Primary", Rect{{0, 0}, {800, 600}}}});
    for (const std::string path : {"/nonexistent/drawlume/uinput", "/dev/null"}) {
        const std::unique_ptr<UinputEventOutput> output =
            makeDesktopEventOutput(screens, PointerMotion::absolute, {}, path);
        const std::optional<AccessibilityTrustState> failure = output->open();
        ASSERT_TRUE(failure) << path;
        EXPECT_FALSE(failure->trusted);
        EXPECT_EQ(failure->reason, AccessibilityTrustReason::outputUnusable);
        EXPECT_EQ(failure->path, path);
        EXPECT_NE(failure->error, 0);
        EXPECT_FALSE(output->isOpen());
        EXPECT_FALSE(output->canCreateEvent());
        EXPECT_EQ(output->currentPointerLocation(), std::nullopt);
        output->post(EventRecord{});
        output->releaseAllHeldInput();
    }
}

}  // namespace
}  // namespace drawlume
