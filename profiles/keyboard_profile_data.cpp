#include "profiles/keyboard_profile_data.h"

#include <cerrno>

#include "profiles/json_values.h"
#include "profiles/setting_sections.h"

namespace {

Json::Value& CustomLightMode(Json::Value& device) {
    return pjson::ObjectMember(device, "CustomLightMode");
}

}  // namespace

KeyboardSystem CKeyboardProfiledata::GetKeyboardSystem() {
    m_keyboardSystem = ReadKeyboardSystem(Document());
    return m_keyboardSystem;
}

void CKeyboardProfiledata::SetKeyboardSystem(const KeyboardSystem& system) {
    m_keyboardSystem = system;
    WriteKeyboardSystem(Document(), system);
}

std::vector<CustomColor> CKeyboardProfiledata::GetCustomColors(int group, int count) {
    if (count < 0)
        count = 0;
    if (!pjson::ValidIndex(group) || !pjson::ValidIndex(count)) {
        m_customColors.assign(static_cast<size_t>(count), CustomColor{});
        return m_customColors;
    }
    const auto groupIndex = static_cast<Json::ArrayIndex>(group);
    // A copy: the loop below may write into the document.
    const Json::Value stored = pjson::At(
        pjson::At(pjson::At(Document(), "CustomLightMode"), "LightColorInfo"), groupIndex);
    std::vector<CustomColor> colors(static_cast<size_t>(count));
    for (Json::ArrayIndex i = 0; i < static_cast<Json::ArrayIndex>(count); ++i) {
        const Json::Value& entry = pjson::At(stored, i);
        if (entry.isObject()) {
            colors[i] = ReadCustomColor(entry);
            continue;
        }
        Json::Value& list = pjson::ArrayMember(CustomLightMode(Document()), "LightColorInfo");
        WriteCustomColor(pjson::ObjectElement(pjson::ArrayElement(list, groupIndex), i),
                         CustomColor{});
    }
    m_customColors = colors;
    return colors;
}

int CKeyboardProfiledata::SetCustomColors(const std::vector<CustomColor>& colors, int group) {
    if (!pjson::ValidIndex(group) || colors.size() > pjson::kMaxIndex)
        return EINVAL;
    m_customColors = colors;
    Json::Value& list = pjson::ArrayMember(CustomLightMode(Document()), "LightColorInfo");
    Json::Value& row = pjson::ArrayElement(list, static_cast<Json::ArrayIndex>(group));
    for (size_t i = 0; i < colors.size(); ++i) {
        WriteCustomColor(pjson::ObjectElement(row, static_cast<Json::ArrayIndex>(i)), colors[i]);
    }
    return 0;
}

int CKeyboardProfiledata::GetCustomGroupIndex() {
    const Json::Value& index =
        pjson::At(pjson::At(Document(), "CustomLightMode"), "CustomLightModeGroupIndex");
    if (!index.isNull())
        m_customGroupIndex = pjson::ToI32(index);
    return m_customGroupIndex;
}

void CKeyboardProfiledata::SetCustomGroupIndex(int index) {
    m_customGroupIndex = index;
    pjson::SetInt(CustomLightMode(Document()), "CustomLightModeGroupIndex", index);
}
