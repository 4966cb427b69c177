#include "profiles/mouse_profile_data.h"

#include "profiles/json_values.h"
#include "profiles/setting_sections.h"

std::vector<DpiStage> CMouseProfiledata::GetDPIStages() {
    const Json::Value& section = pjson::At(Document(), "DPIStages");
    const Json::Value& list = pjson::At(section, "StageDPIs");
    if (!list.isArray())
        return m_dpiStages;
    m_activeStage = pjson::ToI32(pjson::At(section, "StageActive"));
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        const DpiStage stage = ReadDpiStage(list[i]);
        if (i < m_dpiStages.size()) {
            m_dpiStages[i] = stage;
        } else {
            m_dpiStages.push_back(stage);
        }
    }
    return m_dpiStages;
}

void CMouseProfiledata::SetDPIStages(const std::vector<DpiStage>& stages) {
    m_dpiStages = stages;
    Json::Value& list =
        pjson::ArrayMember(pjson::ObjectMember(Document(), "DPIStages"), "StageDPIs");
    for (size_t i = 0; i < stages.size(); ++i) {
        WriteDpiStage(pjson::ObjectElement(list, static_cast<Json::ArrayIndex>(i)), stages[i]);
    }
}

void CMouseProfiledata::SetActiveStage(int stage) {
    m_activeStage = stage;
    pjson::SetInt(pjson::ObjectMember(Document(), "DPIStages"), "StageActive", stage);
}

MouseSystem CMouseProfiledata::GetMouseSystem() {
    m_mouseSystem = ReadMouseSystem(Document());
    return m_mouseSystem;
}

void CMouseProfiledata::SetMouseSystem(const MouseSystem& system) {
    m_mouseSystem = system;
    WriteMouseSystem(Document(), system);
}
