#include "profiles/setting_sections.h"

#include "profiles/field_table.h"

using pjson::FieldKey;

namespace {

constexpr FieldKey<DpiStage, uint8_t> kStageByteKeys[] = {
    {"StageActive", &DpiStage::enabled}, {"StageXY", &DpiStage::xy},
    {"StageColorR", &DpiStage::red},     {"StageColorG", &DpiStage::green},
    {"StageColorB", &DpiStage::blue},
};

constexpr FieldKey<DpiStage, uint16_t> kStageLevelKeys[] = {
    {"StageDPIX", &DpiStage::x},
    {"StageDPIY", &DpiStage::y},
};

constexpr FieldKey<MouseSystem, uint16_t> kMouseSystemKeys[] = {
    {"DoubleClickTime", &MouseSystem::doubleClickTime},   {"MouseSpeed", &MouseSystem::mouseSpeed},
    {"PointerPrecision", &MouseSystem::pointerPrecision}, {"ScorllPage", &MouseSystem::scrollPage},
    {"WheelScorlllinse", &MouseSystem::wheelScrollLines},
};

constexpr FieldKey<MouseSystem, uint16_t> kMouseReportKeys[] = {
    {"StageActive", &MouseSystem::reportRate},
    {"SilentAltitude", &MouseSystem::silentAltitude},
    {"Linear_Calibration", &MouseSystem::linearCalibration},
    {"Ripple", &MouseSystem::ripple},
    {"ble_sleep1", &MouseSystem::bleSleep1},
    {"ble_sleep2", &MouseSystem::bleSleep2},
    {"device_sleep1", &MouseSystem::deviceSleep1},
    {"device_sleep2", &MouseSystem::deviceSleep2},
    {"key_debounce_time", &MouseSystem::keyDebounceTime},
};

constexpr FieldKey<KeyboardSystem, uint16_t> kKeyboardSystemKeys[] = {
    {"Repeat", &KeyboardSystem::repeat},     {"RepeatDelay", &KeyboardSystem::repeatDelay},
    {"Key6Flag", &KeyboardSystem::key6Flag}, {"PollingRate", &KeyboardSystem::pollingRate},
    {"WFlag", &KeyboardSystem::wFlag},       {"WinFlag", &KeyboardSystem::winFlag},
};

constexpr FieldKey<HeadsetSystem, int32_t> kHeadsetSystemKeys[] = {
    {"MagicEnable", &HeadsetSystem::magicEnable},
    {"MagicType", &HeadsetSystem::magicType},
    {"EqType", &HeadsetSystem::eqType},
    {"CustomEqSeletIndex", &HeadsetSystem::customEqSelectIndex},
    {"MicInSelect", &HeadsetSystem::micInSelect},
    {"MicInValue", &HeadsetSystem::micInValue},
    {"MicMoniterSelect", &HeadsetSystem::micMonitorSelect},
    {"MicMoniterValue", &HeadsetSystem::micMonitorValue},
};

constexpr FieldKey<CustomColor, uint8_t> kCustomColorKeys[] = {
    {"Red", &CustomColor::red},
    {"Green", &CustomColor::green},
    {"Blue", &CustomColor::blue},
    {"Alpha", &CustomColor::alpha},
};

}  // namespace

std::vector<KeyEntry> ReadKeyList(const Json::Value& list) {
    std::vector<KeyEntry> entries;
    if (!list.isArray())
        return entries;
    entries.reserve(list.size());
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        const auto keyIndex = static_cast<uint16_t>(i);
        const auto current =
            static_cast<uint32_t>(pjson::ToInt64(pjson::At(list[i], "Assignment")));
        const auto fallback =
            static_cast<uint32_t>(pjson::ToInt64(pjson::At(list[i], "DefaultAssignment")));
        entries.push_back({KeyAssignment::FromPacked(keyIndex, current),
                           KeyAssignment::FromPacked(keyIndex, fallback)});
    }
    return entries;
}

void WriteKeyList(Json::Value& device, const std::vector<KeyEntry>& entries) {
    Json::Value& list = pjson::ArrayMember(device, "KeyList");
    for (size_t i = 0; i < entries.size(); ++i) {
        Json::Value& element = pjson::ObjectElement(list, static_cast<Json::ArrayIndex>(i));
        pjson::SetInt(element, "Assignment", entries[i].current.Packed());
    }
}

DpiStage ReadDpiStage(const Json::Value& element) {
    DpiStage stage;
    pjson::ReadFields(element, stage, kStageByteKeys);
    pjson::ReadFields(element, stage, kStageLevelKeys);
    return stage;
}

void WriteDpiStage(Json::Value& element, const DpiStage& stage) {
    pjson::WriteFields(element, stage, kStageByteKeys);
    pjson::WriteFields(element, stage, kStageLevelKeys);
}

MouseSystem ReadMouseSystem(const Json::Value& device) {
    MouseSystem system;
    const Json::Value& stages = pjson::At(device, "SystemStages");
    if (!stages.isObject())
        return system;
    pjson::ReadFields(stages, system, kMouseSystemKeys);
    const Json::Value& report = pjson::At(device, "ReportStages");
    if (report.isObject())
        pjson::ReadFields(report, system, kMouseReportKeys);
    return system;
}

void WriteMouseSystem(Json::Value& device, const MouseSystem& system) {
    pjson::WriteFields(pjson::ObjectMember(device, "SystemStages"), system, kMouseSystemKeys);
    pjson::WriteFields(pjson::ObjectMember(device, "ReportStages"), system, kMouseReportKeys);
}

KeyboardSystem ReadKeyboardSystem(const Json::Value& device) {
    KeyboardSystem system;
    const Json::Value& stages = pjson::At(device, "SystemStages");
    if (stages.isObject())
        pjson::ReadFields(stages, system, kKeyboardSystemKeys);
    return system;
}

void WriteKeyboardSystem(Json::Value& device, const KeyboardSystem& system) {
    pjson::WriteFields(pjson::ObjectMember(device, "SystemStages"), system, kKeyboardSystemKeys);
}

HeadsetSystem ReadHeadsetSystem(const Json::Value& device) {
    HeadsetSystem system;
    const Json::Value& stages = pjson::At(device, "SystemSetStages");
    if (stages.isObject())
        pjson::ReadFields(stages, system, kHeadsetSystemKeys);
    return system;
}

void WriteHeadsetSystem(Json::Value& device, const HeadsetSystem& system) {
    pjson::WriteFields(pjson::ObjectMember(device, "SystemSetStages"), system, kHeadsetSystemKeys);
}

CustomColor ReadCustomColor(const Json::Value& element) {
    CustomColor color;
    pjson::ReadFields(element, color, kCustomColorKeys);
    return color;
}

void WriteCustomColor(Json::Value& element, const CustomColor& color) {
    pjson::WriteFields(element, color, kCustomColorKeys);
}

std::optional<int> EqRowOfType(int type) {
    if (type == 13)
        return std::nullopt;
    if (type >= 1 && type <= 12)
        return type;
    return 1;
}
