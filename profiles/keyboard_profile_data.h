// CKeyboardProfiledata: the keyboard's system settings and custom key colours
// on top of the shared profile data.
#pragma once

#include <vector>

#include "profiles/basic_profile_data.h"

class CKeyboardProfiledata : public CBasicProfiledata {
  public:
    // "SystemStages" of the keyboard; missing: all zero.
    KeyboardSystem GetKeyboardSystem();
    void SetKeyboardSystem(const KeyboardSystem& system);

    // The first count colours of custom group group
    // ("CustomLightMode"."LightColorInfo"[group]). A missing group, or a
    // missing colour within it, is written into the document as zeros and reads
    // as zero. The result is kept as the stored colour list. A group or count
    // out of range gives count zero colours (none when count is negative) and
    // writes nothing.
    std::vector<CustomColor> GetCustomColors(int group, int count);
    // Writes colour i into "LightColorInfo"[group][i] for every colour. Returns
    // 0, or EINVAL (nothing written) when group or the list is out of range.
    int SetCustomColors(const std::vector<CustomColor>& colors, int group);

    // "CustomLightMode"."CustomLightModeGroupIndex"; missing: the stored index.
    int GetCustomGroupIndex();
    void SetCustomGroupIndex(int index);

  private:
    KeyboardSystem m_keyboardSystem;
    std::vector<CustomColor> m_customColors;
    int m_customGroupIndex = 0;
};
