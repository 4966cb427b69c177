// The feature tabs of the profile bar, and the write failures the profile list
// reports to callers that must say so.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "profiles/feature_tabs.h"
#include "profiles/profile_list.h"
#include "tests/profiles/profile_test_support.h"

namespace {

TEST(FeatureTabs, DeviceKindsHideAndShowTheirTabs) {
    // H hidden, S shown, . left as the layout has it; tabs 1-9 in order.
    struct Case {
        int kind;
        const char* rule;
    };
    const Case cases[] = {
        {1, "....H...."}, {2, "........."}, {3, ".HHHH...."}, {4, ".HH.H...."},
        {5, ".HHHH...."}, {7, ".HHHHSSS."}, {6, "........."}, {0, "........."},
    };
    for (const Case& c : cases) {
        std::string rule;
        for (int tab = 1; tab <= kFeatureTabCount; ++tab) {
            const TabVisibility v = FeatureTabVisibility(c.kind, tab);
            rule += v == TabVisibility::Hide ? 'H' : v == TabVisibility::Show ? 'S' : '.';
        }
        EXPECT_EQ(rule, c.rule) << "kind " << c.kind;
    }
    EXPECT_EQ(FeatureTabVisibility(7, 0), TabVisibility::Keep);
    EXPECT_EQ(FeatureTabVisibility(7, 10), TabVisibility::Keep);
    EXPECT_STREQ(kFeatureTabNames[4], "cursor_Op_tab");
    EXPECT_STREQ(kFeatureTabNames[7], "Virtual7.1_Op_tab");

    // Tabs the kind does not name keep what the layout gave them.
    FeatureTabRow row;
    for (auto& tab : row.Tabs())
        tab.present = true;
    row.Tabs()[5].visible = false;  // the headset tabs, hidden in the layout
    row.Tabs()[8].visible = false;  // "otherset_Op_tab"
    row.ApplyDeviceKind(7);
    std::vector<bool> visible;
    for (const auto& tab : row.Tabs())
        visible.push_back(tab.visible);
    EXPECT_EQ(visible,
              (std::vector<bool>{true, false, false, false, false, true, true, true, false}));
}

TEST(FeatureTabs, SelectFeatureTabChecksOneOrNone) {
    FeatureTabRow row;
    for (auto& tab : row.Tabs())
        tab.present = true;
    row.SelectFeatureTab(2);
    EXPECT_EQ(row.CheckedTab(), 2);
    row.SelectFeatureTab(9);
    EXPECT_EQ(row.CheckedTab(), 9);
    EXPECT_FALSE(row.Tab(2).checked);
    for (int n : {0, 10, -1}) {
        row.SelectFeatureTab(4);
        row.SelectFeatureTab(n);
        EXPECT_EQ(row.CheckedTab(), 0) << n;
    }
    // A page without all nine tabs is left alone.
    row.SelectFeatureTab(3);
    row.Tabs()[6].present = false;
    row.SelectFeatureTab(5);
    EXPECT_EQ(row.CheckedTab(), 3);
    EXPECT_FALSE(row.Tab(5).checked);
}

TEST(ProfileListWrites, FailedWritesAreReportedToThoseWhoAsk) {
    ScratchFolder dir;
    const std::string defaultPath = dir.File("default.Json");
    WriteBytes(defaultPath, "{}");
    ProfileList list;
    list.SetProfilePaths(dir.File("missing/folder"), defaultPath);
    list.LoadProfileList();
    EXPECT_EQ(list.WriteError(), ENOENT);
    // Nothing on disk to point at: no entry is current (and none is indexed).
    EXPECT_EQ(list.CurrentIndex(), -1);
    EXPECT_TRUE(list.Names().empty());

    list.SetProfilePaths(dir.Path(), defaultPath);
    list.ClearWriteError();
    list.LoadProfileList();
    ASSERT_EQ(list.NewProfile(), profile_list::kAddDone);
    EXPECT_EQ(list.WriteError(), 0);
    EXPECT_EQ(list.ProfileId(1) + ".Json", list.ProfilePath(1).substr(dir.Path().size() + 1));
    EXPECT_EQ(list.ProfileId(2), "");
    EXPECT_EQ(list.ProfileId(-1), "");
}

}  // namespace
