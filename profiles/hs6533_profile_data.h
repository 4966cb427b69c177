// CHs6533Profiledata: the headset's system settings and equalisers on top of
// the shared profile data.
#pragma once

#include <string>
#include <vector>

#include "profiles/basic_profile_data.h"

class CHs6533Profiledata : public CBasicProfiledata {
  public:
    // "SystemSetStages"; missing: all zero.
    HeadsetSystem GetHeadsetSystem();
    void SetHeadsetSystem(const HeadsetSystem& system);

    // The ten band values of equaliser type type ("EQHzValueInfo", row per
    // EqRowOfType). When the array or the row is missing, 0 is written into the
    // document for each band and returned. Type 13 has no values: empty list.
    std::vector<int> GetEqValues(int type);
    // Writes up to ten band values into the type's row (type 13: nothing).
    void SetEqValues(int type, const std::vector<int>& values);

    // "Name" of every element of "CustomEQNameInfo"; missing: empty.
    std::vector<std::wstring> GetCustomEqNames();
    // Replaces "CustomEQNameInfo" with one { "Name": UTF-8 name } per name.
    void SetCustomEqNames(const std::vector<std::wstring>& names);

    // The ten band values of user equaliser index ("CustomEQHzValueInfo"),
    // completed like GetEqValues; an index out of range gives an empty list.
    std::vector<int> GetCustomEqValues(int index);
    // Writes up to ten band values of user equaliser index. Returns 0, or
    // EINVAL (nothing written) when the index is out of range.
    int SetCustomEqValues(int index, const std::vector<int>& values);

  private:
    HeadsetSystem m_headsetSystem;
};
