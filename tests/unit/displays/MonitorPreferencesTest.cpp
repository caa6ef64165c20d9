#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "displays/MonitorPreferences.hpp"

namespace drawlume {
namespace {

const Rect kPrimary{{0, 0}, {1920, 1080}};

class MonitorPreferencesTest : public ::testing::Test {
protected:
    void setScreens(const std::vector<Rect>& frames) {
        std::vector<ScreenDescription> screens;
        for (const Rect& frame : frames) {
            screens.push_back({"screen", frame});
        }
        screens_->setScreens(std::move(screens));
    }

    std::shared_ptr<InMemoryUserDefaults> defaults_ = std::make_shared<InMemoryUserDefaults>();
    std::shared_ptr<FixedScreenList> screens_ = std::make_shared<FixedScreenList>();
    MonitorPreferences preferences_{defaults_, screens_};
};

TEST_F(MonitorPreferencesTest, TargetFrameIsTheChosenScreenInTopLeftCoordinates) {
    struct Case {
        std::vector<Rect> screens;
        int64_t index;
        Rect target;
    };
    const std::vector<Case> cases = {
        // Second screen to the right, bottoms aligned.
        {{kPrimary, {{1920, 0}, {1280, 1024}}}, 1, {{1920, 56}, {1280, 1024}}},
        // Second screen above the primary.
        {{kPrimary, {{0, 1080}, {1280, 1024}}}, 1, {{0, -1024}, {1280, 1024}}},
        {{{{0, 0}, {1440, 900}}}, 0, {{0, 0}, {1440, 900}}},
        // No screen at all: everything maps to the origin.
        {{}, 0, {}},
    };
    for (const Case& c : cases) {
        setScreens(c.screens);
        preferences_.setSelectedMonitorIndex(c.index);
        preferences_.setCachedScreenFrame(std::nullopt);
        EXPECT_EQ(preferences_.targetScreenFrame(), c.target) << c.screens.size();
    }
}

TEST_F(MonitorPreferencesTest, CachedFrameOutlivesAScreenChangeUntilDropped) {
    setScreens({kPrimary, {{1920, 0}, {1280, 1024}}});
    preferences_.setSelectedMonitorIndex(1);
    const Rect first = preferences_.targetScreenFrame();
    setScreens({kPrimary, {{-1280, 0}, {1280, 720}}});
    EXPECT_EQ(preferences_.targetScreenFrame(), first);
    EXPECT_EQ(preferences_.cachedScreenFrame(), first);
    preferences_.setCachedScreenFrame(std::nullopt);
    EXPECT_EQ(preferences_.targetScreenFrame(), (Rect{{-1280, 360}, {1280, 720}}));
}

TEST_F(MonitorPreferencesTest, StaleIndexFallsBackToThePrimaryAndIsRewritten) {
    setScreens({kPrimary, {{1920, 0}, {1280, 1024}}});
    EXPECT_EQ(preferences_.selectedMonitorIndex(), 0);
    EXPECT_EQ(defaults_->object(MonitorPreferences::selectedMonitorKey), std::nullopt);

    // One past the last screen is the first index that is stale.
    preferences_.setSelectedMonitorIndex(2);
    preferences_.setCachedScreenFrame(Rect{{1, 2}, {3, 4}});
    const MonitorInfo selected = preferences_.selectedMonitor();
    EXPECT_EQ(selected.id, 0);
    EXPECT_EQ(selected.frame, kPrimary);
    EXPECT_EQ(defaults_->object(MonitorPreferences::selectedMonitorKey), DefaultsValue(int64_t{0}));
    EXPECT_EQ(preferences_.cachedScreenFrame(), std::nullopt);

    setScreens({});
    preferences_.setSelectedMonitorIndex(1);
    const MonitorInfo none = preferences_.selectedMonitor();
    EXPECT_EQ(none.name, "Monitor 1");
    EXPECT_EQ(none.frame, Rect{});
    EXPECT_EQ(preferences_.selectedMonitorIndex(), 1);
}

}  // namespace
}  // namespace drawlume
