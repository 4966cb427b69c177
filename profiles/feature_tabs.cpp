#include "profiles/feature_tabs.h"

const std::array<const char*, kFeatureTabCount> kFeatureTabNames = {
    "deng_Op_tab",       "key_Op_tab",   "macro_Op_tab",      "system_Op_tab",   "cursor_Op_tab",
    "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab", "otherset_Op_tab",
};

namespace {

constexpr int kTabKey = 2;
constexpr int kTabMacro = 3;
constexpr int kTabSystem = 4;
constexpr int kTabCursor = 5;
constexpr int kTabVoice = 6;
constexpr int kTabMagic = 7;
constexpr int kTabVirtual = 8;

bool Hides(int kind, int tab) {
    switch (kind) {
        case 1:  // keyboard
            return tab == kTabCursor;
        case 3:  // mouse pad
        case 5:
        case 7:  // headset
            return tab == kTabCursor || tab == kTabMacro || tab == kTabSystem || tab == kTabKey;
        case 4:
            return tab == kTabCursor || tab == kTabMacro || tab == kTabKey;
        default:  // 2, the mouse, hides none
            return false;
    }
}

bool Shows(int kind, int tab) {
    return kind == 7 && (tab == kTabVoice || tab == kTabMagic || tab == kTabVirtual);
}

}  // namespace

TabVisibility FeatureTabVisibility(int kind, int tab) {
    if (tab < 1 || tab > kFeatureTabCount)
        return TabVisibility::Keep;
    if (Hides(kind, tab))
        return TabVisibility::Hide;
    if (Shows(kind, tab))
        return TabVisibility::Show;
    return TabVisibility::Keep;
}

void FeatureTabRow::ApplyDeviceKind(int kind) {
    for (int tab = 1; tab <= kFeatureTabCount; ++tab) {
        FeatureTabState& state = tabs_[static_cast<size_t>(tab - 1)];
        switch (FeatureTabVisibility(kind, tab)) {
            case TabVisibility::Hide:
                state.visible = false;
                break;
            case TabVisibility::Show:
                state.visible = true;
                break;
            case TabVisibility::Keep:
                break;
        }
    }
}

void FeatureTabRow::SelectFeatureTab(int n) {
    for (const FeatureTabState& state : tabs_)
        if (!state.present)
            return;
    for (int tab = 1; tab <= kFeatureTabCount; ++tab)
        tabs_[static_cast<size_t>(tab - 1)].checked = tab == n;
}

int FeatureTabRow::CheckedTab() const {
    for (int tab = 1; tab <= kFeatureTabCount; ++tab)
        if (tabs_[static_cast<size_t>(tab - 1)].checked)
            return tab;
    return 0;
}
