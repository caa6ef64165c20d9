#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "TempDirectory.hpp"
#include "program/LoginItem.hpp"

namespace drawlume {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::writeFile;

TEST(LoginItemTest, SwitchingOnWritesTheAutostartEntryAndOffRemovesIt) {
    testing::TempDirectory config;
    // Only this test reads the variable, and each test binary has a process of its own.
    ::setenv("XDG_CONFIG_HOME", config.str().c_str(), 1);  // NOLINT(concurrency-mt-unsafe)
    const fs::path entry = config.path() / "autostart" / "drawlume-agent.desktop";
    ASSERT_EQ(LoginItem::defaultEntryPath(), entry.string());

    LoginItem item(LoginItem::defaultEntryPath(), {"/usr/bin/drawlume-agent"});
    EXPECT_FALSE(item.isEnabled());

    ASSERT_FALSE(item.setEnabled(true).failed());
    EXPECT_TRUE(item.isEnabled());
    const std::string text = readFile(entry);
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(text.find("\nExec=/usr/bin/drawlume-agent\n"), std::string::npos);
    // Switching on again rewrites in place; no temporary file is left beside it.
    ASSERT_FALSE(item.setEnabled(true).failed());
    EXPECT_EQ(std::distance(fs::directory_iterator(entry.parent_path()), {}), 1);

    ASSERT_FALSE(item.setEnabled(false).failed());
    EXPECT_FALSE(fs::exists(entry));
    EXPECT_FALSE(item.isEnabled());
    EXPECT_FALSE(item.setEnabled(false).failed());
}

TEST(LoginItemTest, AnEntryTurnedOffInTheDesktopsSettingsReadsAsOff) {
    testing::TempDirectory config;
    const fs::path entry = config.path() / "drawlume-agent.desktop";
    LoginItem item(entry.string(), {"drawlume-agent"});

    writeFile(entry, "[Desktop Entry]\nExec=drawlume-agent\nHidden=true\n");
    EXPECT_FALSE(item.isEnabled());
    writeFile(entry, "# note\n[Desktop Entry]\nX-GNOME-Autostart-enabled = false\r\n");
    EXPECT_FALSE(item.isEnabled());
    // Only the main group counts.
    writeFile(entry, "[Desktop Entry]\nExec=drawlume-agent\n[Desktop Action x]\nHidden=true\n");
    EXPECT_TRUE(item.isEnabled());

    writeFile(entry, "[Desktop Entry]\nHidden=true\n");
    ASSERT_FALSE(item.setEnabled(true).failed());
    EXPECT_TRUE(item.isEnabled());
}

TEST(LoginItemTest, ExecQuotesWhatTheDesktopWouldSplitOrExpand) {
    EXPECT_EQ(desktopEntryExec({"/usr/bin/drawlume-agent", "--headless"}),
              "/usr/bin/drawlume-agent --headless");
    EXPECT_EQ(desktopEntryExec({"/opt/My Apps/drawlume-agent"}), "\"/opt/My Apps/drawlume-agent\"");
    // Quoting escapes $ and the backslash; the string rules then double every backslash.
    EXPECT_EQ(desktopEntryExec({"/a$b\\c"}), "\"/a\\\\$b\\\\\\\\c\"");
    EXPECT_EQ(desktopEntryExec({"/a%u", ""}), "/a%%u \"\"");
    EXPECT_EQ(desktopEntryExec({"/a\nb"}), "\"/a\\nb\"");
}

}  // namespace
}  // namespace drawlume
