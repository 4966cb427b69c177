#include "profiles/hs6533_profile_data.h"

#include <algorithm>
#include <cerrno>

#include "profiles/json_values.h"
#include "profiles/setting_sections.h"
#include "profiles/text_helpers.h"

namespace {

// The bands of table[row]; a missing table or row is written as zeros.
std::vector<int> ReadBands(Json::Value& device, const char* table, Json::ArrayIndex row) {
    // A copy: missing bands are written into the document below.
    const Json::Value stored = pjson::At(pjson::At(device, table), row);
    std::vector<int> values(kEqBandCount, 0);
    for (Json::ArrayIndex band = 0; band < static_cast<Json::ArrayIndex>(kEqBandCount); ++band) {
        if (stored.isArray()) {
            values[band] = pjson::ToI32(pjson::At(pjson::At(stored, band), "value"));
            continue;
        }
        Json::Value& rowValue = pjson::ArrayElement(pjson::ArrayMember(device, table), row);
        pjson::SetInt(pjson::ObjectElement(rowValue, band), "value", 0);
    }
    return values;
}

void WriteBands(Json::Value& device, const char* table, Json::ArrayIndex row,
                const std::vector<int>& values) {
    Json::Value& rowValue = pjson::ArrayElement(pjson::ArrayMember(device, table), row);
    const size_t count = std::min(values.size(), static_cast<size_t>(kEqBandCount));
    for (size_t band = 0; band < count; ++band) {
        pjson::SetInt(pjson::ObjectElement(rowValue, static_cast<Json::ArrayIndex>(band)), "value",
                      values[band]);
    }
}

}  // namespace

HeadsetSystem CHs6533Profiledata::GetHeadsetSystem() {
    m_headsetSystem = ReadHeadsetSystem(Document());
    return m_headsetSystem;
}

void CHs6533Profiledata::SetHeadsetSystem(const HeadsetSystem& system) {
    m_headsetSystem = system;
    WriteHeadsetSystem(Document(), system);
}

std::vector<int> CHs6533Profiledata::GetEqValues(int type) {
    const std::optional<int> row = EqRowOfType(type);
    if (!row)
        return {};
    return ReadBands(Document(), "EQHzValueInfo", static_cast<Json::ArrayIndex>(*row));
}

void CHs6533Profiledata::SetEqValues(int type, const std::vector<int>& values) {
    const std::optional<int> row = EqRowOfType(type);
    if (row)
        WriteBands(Document(), "EQHzValueInfo", static_cast<Json::ArrayIndex>(*row), values);
}

std::vector<std::wstring> CHs6533Profiledata::GetCustomEqNames() {
    std::vector<std::wstring> names;
    const Json::Value& list = pjson::At(Document(), "CustomEQNameInfo");
    if (!list.isArray())
        return names;
    names.reserve(list.size());
    for (const Json::Value& element : list) {
        names.push_back(Utf8ToWide(pjson::ToText(pjson::At(element, "Name"))));
    }
    return names;
}

void CHs6533Profiledata::SetCustomEqNames(const std::vector<std::wstring>& names) {
    Json::Value list(Json::arrayValue);
    for (const std::wstring& name : names) {
        Json::Value element(Json::objectValue);
        element["Name"] = WideToUtf8(name);
        list.append(element);
    }
    pjson::Member(Document(), "CustomEQNameInfo") = list;
}

std::vector<int> CHs6533Profiledata::GetCustomEqValues(int index) {
    if (!pjson::ValidIndex(index))
        return {};
    return ReadBands(Document(), "CustomEQHzValueInfo", static_cast<Json::ArrayIndex>(index));
}

int CHs6533Profiledata::SetCustomEqValues(int index, const std::vector<int>& values) {
    if (!pjson::ValidIndex(index))
        return EINVAL;
    WriteBands(Document(), "CustomEQHzValueInfo", static_cast<Json::ArrayIndex>(index), values);
    return 0;
}
