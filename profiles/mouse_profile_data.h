// CMouseProfiledata: the mouse's DPI stages and system settings on top of the
// shared profile data.
#pragma once

#include <vector>

#include "profiles/basic_profile_data.h"

class CMouseProfiledata : public CBasicProfiledata {
  public:
    // Reads "DPIStages"."StageDPIs" and the active stage index and merges them
    // into the stored stages: stage i of the document replaces stored stage i,
    // further ones are appended, stored stages past the document's count stay.
    // Without that section the stored stages are returned unchanged.
    std::vector<DpiStage> GetDPIStages();
    // Stores the stages and writes each into "StageDPIs"[i]; stages of the
    // document past the list's count stay.
    void SetDPIStages(const std::vector<DpiStage>& stages);
    // The stored active stage index (GetDPIStages reads it from the document).
    int GetActiveStage() const { return m_activeStage; }
    void SetActiveStage(int stage);
    // "SystemStages" and "ReportStages".
    MouseSystem GetMouseSystem();
    void SetMouseSystem(const MouseSystem& system);

  private:
    std::vector<DpiStage> m_dpiStages;
    int m_activeStage = 0;
    MouseSystem m_mouseSystem;
};
