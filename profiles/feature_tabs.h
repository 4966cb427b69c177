// The row of feature tabs on a device page, without any toolkit: which of the
// nine tab options a device kind hides or shows, and which one the profile
// bar's SelectFeatureTab leaves checked. The page maps its option widgets onto
// FeatureTabRow by number (1-9) and copies the result back.
#pragma once

#include <array>
#include <cstddef>

inline constexpr int kFeatureTabCount = 9;

// Control names of tabs 1 to 9 (index 0 is tab 1).
extern const std::array<const char*, kFeatureTabCount> kFeatureTabNames;

// What the device kind does to a tab when the profile list is loaded: Keep
// leaves the visibility the page layout gave it.
enum class TabVisibility { Keep, Hide, Show };

// The visibility rule of tab number tab (1-9) for a device kind; Keep for a
// tab number outside 1-9 and for a kind without a rule.
TabVisibility FeatureTabVisibility(int kind, int tab);

struct FeatureTabState {
    bool present = false;  // the page has this option
    bool visible = true;
    bool checked = false;
};

class FeatureTabRow {
  public:
    std::array<FeatureTabState, kFeatureTabCount>& Tabs() { return tabs_; }
    const std::array<FeatureTabState, kFeatureTabCount>& Tabs() const { return tabs_; }
    const FeatureTabState& Tab(int number) const { return tabs_[static_cast<size_t>(number - 1)]; }

    // Hides and shows the tabs the device kind names; the others keep theirs.
    void ApplyDeviceKind(int kind);
    // Checks tab n and clears the other eight (no select event is raised by
    // the page for either); any other n clears all nine. Nothing changes
    // unless all nine tabs are present.
    void SelectFeatureTab(int n);
    // The checked tab, or 0 when none is.
    int CheckedTab() const;

  private:
    std::array<FeatureTabState, kFeatureTabCount> tabs_{};
};
