#include "profiles/light_sections.h"

#include "profiles/field_table.h"

using pjson::FieldKey;

namespace {

constexpr FieldKey<LightInfo, uint8_t> kLightInfoKeys[] = {
    {"SelectItem", &LightInfo::selectItem},
    {"Light", &LightInfo::light},
    {"Speed", &LightInfo::speed},
    {"Fx", &LightInfo::fx},
    {"MultiColor", &LightInfo::multiColor, true},
    {"Red", &LightInfo::red},
    {"Green", &LightInfo::green},
    {"Blue", &LightInfo::blue},
    {"ZZCCLedMode", &LightInfo::zzccLedMode},
    {"CustomGroup", &LightInfo::customGroup},
    {"OldLedmode", &LightInfo::oldLedMode},
};

constexpr FieldKey<AudioLightInfo, uint8_t> kAudioLightKeys[] = {
    {"AudioMode", &AudioLightInfo::audioMode},
    {"BkColorR", &AudioLightInfo::bkColorR},
    {"BkColorG", &AudioLightInfo::bkColorG},
    {"BkColorB", &AudioLightInfo::bkColorB},
    {"FgColorR", &AudioLightInfo::fgColorR},
    {"FgColorG", &AudioLightInfo::fgColorG},
    {"FgColorB", &AudioLightInfo::fgColorB},
    {"7ColorFlags", &AudioLightInfo::sevenColorFlags, true},
    {"ColorTypeFlags", &AudioLightInfo::colorTypeFlags, true},
};

constexpr FieldKey<LightListItem, uint8_t> kLightListKeys[] = {
    {"LEDREGMode", &LightListItem::mode},
    {"LEDBrightness", &LightListItem::brightness},
    {"LEDSpeed", &LightListItem::speed},
    {"LEDDirection", &LightListItem::direction, true},
    {"LEDMultiColor", &LightListItem::multiColor, true},
    {"red", &LightListItem::red},
    {"green", &LightListItem::green},
    {"blue", &LightListItem::blue},
};

constexpr FieldKey<EffectStep, uint8_t> kEffectStepKeys[] = {
    {"LEDREGMode", &EffectStep::mode},
    {"LEDBrightness", &EffectStep::brightness},
    {"LEDSpeed", &EffectStep::speed},
    {"LEDDirection", &EffectStep::direction},
    {"LEDMultiColor", &EffectStep::multiColor},
    {"red", &EffectStep::red},
    {"green", &EffectStep::green},
    {"blue", &EffectStep::blue},
};

constexpr FieldKey<EffectStep, int32_t> kEffectTimeKeys[] = {
    {"Time", &EffectStep::time},
    {"Cyle", &EffectStep::cycle},
};

}  // namespace

LightInfo ReadLightInfo(const Json::Value& section) {
    LightInfo info;
    pjson::ReadFields(section, info, kLightInfoKeys);
    return info;
}

void WriteLightInfo(Json::Value& section, const LightInfo& info) {
    pjson::WriteFields(section, info, kLightInfoKeys);
}

AudioLightInfo ReadAudioLightInfo(const Json::Value& section) {
    AudioLightInfo info;
    pjson::ReadFields(section, info, kAudioLightKeys);
    info.colorTypeFlags = 1;
    return info;
}

void WriteAudioLightInfo(Json::Value& section, const AudioLightInfo& info) {
    for (const auto& f : kAudioLightKeys)
        pjson::SetInt(section, f.key, info.*f.field);
}

std::vector<LightListItem> ReadLightList(const Json::Value& list) {
    std::vector<LightListItem> items;
    if (!list.isArray())
        return items;
    items.reserve(list.size());
    for (const Json::Value& element : list) {
        LightListItem item;
        if (element.isObject()) {
            pjson::ReadFields(element, item, kLightListKeys);
            item.valid = 1;
        }
        items.push_back(item);
    }
    return items;
}

std::vector<EffectStep> ReadEffectSteps(const Json::Value& effect) {
    std::vector<EffectStep> steps;
    const Json::Value& list = pjson::At(effect, "LEDEffectList");
    if (!list.isArray())
        return steps;
    steps.reserve(list.size());
    for (const Json::Value& element : list) {
        EffectStep step;
        pjson::ReadFields(element, step, kEffectStepKeys);
        pjson::ReadFields(element, step, kEffectTimeKeys);
        steps.push_back(step);
    }
    return steps;
}

std::string CustomEffectGuid(const Json::Value& library, int row, int item) {
    if (!pjson::ValidIndex(row) || !pjson::ValidIndex(item))
        return {};
    const Json::Value& entry =
        pjson::At(pjson::At(pjson::At(library, "LightInfo"), static_cast<Json::ArrayIndex>(row)),
                  static_cast<Json::ArrayIndex>(item));
    return pjson::ToText(pjson::At(entry, "Guid"));
}
