#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TempDirectory.hpp"
#include "platform/linux/session/InputNodeProbe.hpp"
#include "platform/linux/session/LinuxAccessibilityTrust.hpp"
#include "services/AccessibilityTrust.hpp"

namespace drawlume {
namespace {

class ScriptedProbe final : public InputNodeProbe {
public:
    int openForWriting(const std::string& path) override { return errors[path]; }
    int checkReadable(const std::string& path) override { return errors[path]; }
    std::string owningGroup(const std::string& path) override { return groups[path]; }
    std::vector<std::string> companionNodes() override { return companions; }

    std::map<std::string, int> errors;
    std::map<std::string, std::string> groups;
    std::vector<std::string> companions;
};

TEST(LinuxAccessibilityTrustTest, EachWayTheOutputCanFailHasItsOwnReason) {
    struct Case {
        int error;
        AccessibilityTrustReason reason;
    };
    const Case cases[] = {
        {ENOENT, AccessibilityTrustReason::outputMissing},
        {EACCES, AccessibilityTrustReason::outputDenied},
        {EMFILE, AccessibilityTrustReason::outputFailed},
    };
    for (const Case& c : cases) {
        ScriptedProbe probe;
        probe.errors["/dev/uinput"] = c.error;
        probe.groups["/dev/uinput"] = "input";
        probe.companions = {"/dev/hidraw0"};
        probe.errors["/dev/hidraw0"] = EACCES;
        const AccessibilityTrustState state = LinuxAccessibilityTrust(probe).check();
        EXPECT_FALSE(state.trusted) << c.error;
        EXPECT_EQ(state.reason, c.reason) << c.error;
        EXPECT_EQ(state.path, "/dev/uinput");
        EXPECT_EQ(state.error, c.error);
        // The group is only a fix when access was denied.
        EXPECT_EQ(state.group, c.reason == AccessibilityTrustReason::outputDenied ? "input" : "");
    }
}

TEST(LinuxAccessibilityTrustTest, PostingWorksButAnUnreadableCompanionIsReported) {
    ScriptedProbe probe;
    probe.companions = {"/dev/hidraw1", "/dev/input/event5", "/dev/input/event6"};
    EXPECT_EQ(
        LinuxAccessibilityTrust(probe).check(),
        (AccessibilityTrustState{true, AccessibilityTrustReason::granted, "/dev/uinput", 0, ""}));

    probe.errors["/dev/input/event5"] = EACCES;
    probe.errors["/dev/input/event6"] = EACCES;
    EXPECT_EQ(LinuxAccessibilityTrust(probe).check(),
              (AccessibilityTrustState{true, AccessibilityTrustReason::companionUnreadable,
                                       "/dev/input/event5", EACCES, ""}));
}

// A sysfs tree as the kernel lays it out for one Bluetooth and one USB HID device.
class SystemInputNodeProbeTest : public ::testing::Test {
protected:
    void addHidDevice(const std::string& hidraw, const std::string& hidId,
                      const std::vector<std::string>& events) {
        const auto device = root_.path() / "sys/class/hidraw" / hidraw / "device";
        std::filesystem::create_directories(device);
        std::ofstream(device / "uevent")
            << "DRIVER=hid-generic\nHID_ID=" << hidId << "\nHID_NAME=Companion\n";
        for (size_t i = 0; i < events.size(); ++i) {
            std::filesystem::create_directories(device / "input" /
                                                ("input" + std::to_string(10 + i)) / events[i]);
        }
    }

    std::string sys() const { return (root_.path() / "sys").string(); }

    testing::TempDirectory root_;
};

TEST_F(SystemInputNodeProbeTest, CompanionNodesAreTheHidrawAndEventNodesOfBluetoothHidOnly) {
    addHidDevice("hidraw0", "0003:0000046D:0000C52B", {"event3"});
    addHidDevice("hidraw1", "0005:00000000:00000000", {"event7", "event8"});
    SystemInputNodeProbe probe(sys(), "/dev");
    EXPECT_EQ(probe.companionNodes(),
              (std::vector<std::string>{"/dev/hidraw1", "/dev/input/event7", "/dev/input/event8"}));
    EXPECT_TRUE(SystemInputNodeProbe(sys() + "/missing").companionNodes().empty());
}

}  // namespace
}  // namespace drawlume
