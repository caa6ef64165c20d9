#include <cerrno>
#include <filesystem>
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

// The output is checked first; only where posting works are the companion's
// nodes read. The group is only a fix when access was denied.
TEST(LinuxAccessibilityTrustTest, EachWayTheOutputOrACompanionCanFailHasItsOwnReason) {
    using enum AccessibilityTrustReason;
    struct Case {
        std::map<std::string, int> errors;
        AccessibilityTrustState expected;
    };
    const Case cases[] = {
        {{{"/dev/uinput", ENOENT}, {"/dev/hidraw1", EACCES}},
         {false, outputMissing, "/dev/uinput", ENOENT, ""}},
        {{{"/dev/uinput", EACCES}, {"/dev/hidraw1", EACCES}},
         {false, outputDenied, "/dev/uinput", EACCES, "input"}},
        {{{"/dev/uinput", EMFILE}}, {false, outputFailed, "/dev/uinput", EMFILE, ""}},
        {{}, {true, granted, "/dev/uinput", 0, ""}},
        {{{"/dev/input/event5", EACCES}, {"/dev/input/event6", EACCES}},
         {true, companionUnreadable, "/dev/input/event5", EACCES, ""}},
    };
    for (const Case& c : cases) {
        ScriptedProbe probe;
        probe.errors = c.errors;
        probe.groups["/dev/uinput"] = "input";
        probe.companions = {"/dev/hidraw1", "/dev/input/event5", "/dev/input/event6"};
        const AccessibilityTrustState state = LinuxAccessibilityTrust(probe).check();
        EXPECT_EQ(state, c.expected) << state.path << " " << state.error << " " << state.group;
    }
}

// A sysfs tree as the kernel lays it out for one USB and one Bluetooth HID device.
TEST(SystemInputNodeProbeTest, CompanionNodesAreTheHidrawAndEventNodesOfBluetoothHidOnly) {
    testing::TempDirectory root;
    const auto addHidDevice = [&](const std::string& hidraw, const std::string& hidId,
                                  const std::vector<std::string>& events) {
        const auto device = root.path() / "sys/class/hidraw" / hidraw / "device";
        std::filesystem::create_directories(device);
        testing::writeFile(device / "uevent", "DRIVER=hid-generic\nHID_ID=" + hidId + "\n");
        for (size_t i = 0; i < events.size(); ++i) {
            std::filesystem::create_directories(device / "input" /
                                                ("input" + std::to_string(10 + i)) / events[i]);
        }
    };
    addHidDevice("hidraw0", "0003:0000046D:0000C52B", {"event3"});
    addHidDevice("hidraw1", "0005:00000000:00000000", {"event7", "event8"});
    const std::string sys = (root.path() / "sys").string();
    EXPECT_EQ(SystemInputNodeProbe(sys, "/dev").companionNodes(),
              (std::vector<std::string>{"/dev/hidraw1", "/dev/input/event7", "/dev/input/event8"}));
    EXPECT_TRUE(SystemInputNodeProbe(sys + "/missing").companionNodes().empty());
}

}  // namespace
}  // namespace drawlume
