#include "devices/light_library.h"

#include <json/json.h>

namespace {

// The row of an array member of a document, or null when any part is missing.
const Json::Value* Row(const Json::Value& doc, const char* member, int row) {
    if (!doc.isObject() || row < 0) return nullptr;
    const Json::Value& array = doc[member];
    if (!array.isArray() || static_cast<Json::ArrayIndex>(row) >= array.size()) return nullptr;
    const Json::Value& r = array[static_cast<Json::ArrayIndex>(row)];
    return r.isArray() ? &r : nullptr;
}

std::string Text(const Json::Value& entry, const char* member) {
    if (!entry.isObject() || !entry[member].isString()) return {};
    return entry[member].asString();
}

bool Flag(const Json::Value& entry, const char* member) {
    if (!entry.isObject()) return false;
    const Json::Value& v = entry[member];
    if (v.isBool()) return v.asBool();
    if (v.isNumeric()) return v.asDouble() != 0;
    return false;
}

int Number(const Json::Value& entry, const char* member) {
    if (!entry.isObject()) return 0;
    const Json::Value& v = entry[member];
    if (v.isInt()) return v.asInt();
    if (v.isBool()) return v.asBool() ? 1 : 0;
    return 0;
}

}  // namespace

void LoadLightLibrary(const Json::Value& defaultLight, const Json::Value& library, int row,
                      LightLibraryLists& lists) {
    if (const Json::Value* effects = Row(defaultLight, "DefaultLightName", row)) {
        lists.effectNames.clear();
        lists.visible.clear();
        lists.modes.clear();
        for (const Json::Value& e : *effects) {
            lists.effectNames.push_back(Text(e, "LightName"));
            lists.visible.push_back(Flag(e, "visible"));
            lists.modes.push_back(Number(e, "value"));
        }
    }
    if (const Json::Value* areas = Row(defaultLight, "AreaLightName", row)) {
        lists.areaNames.clear();
        for (const Json::Value& a : *areas) lists.areaNames.push_back(Text(a, "LightName"));
    }
    if (const Json::Value* custom = Row(library, "LightInfo", row)) {
        lists.customNames.clear();
        for (const Json::Value& c : *custom) lists.customNames.push_back(Text(c, "LightName"));
    }
}

int MapDeviceMode(const LightLibraryLists& lists, int mode) {
    for (size_t i = 0; i < lists.modes.size(); ++i)
        if (lists.modes[i] == mode) return static_cast<int>(i);
    return -1;
}
