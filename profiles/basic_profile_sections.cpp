// The record getters and setters that every device kind shares.
#include "profiles/basic_profile_data.h"
#include "profiles/json_values.h"
#include "profiles/light_sections.h"
#include "profiles/setting_sections.h"

LightInfo CBasicProfiledata::GetLightInfo() {
    const Json::Value& section = pjson::At(m_document, "LightInfo");
    m_lightInfo = section.isObject() ? ReadLightInfo(section) : m_fallbackLightInfo;
    return m_lightInfo;
}

void CBasicProfiledata::SetLightInfo(const LightInfo& info) {
    m_lightInfo = info;
    WriteLightInfo(pjson::ObjectMember(m_document, "LightInfo"), info);
}

AudioLightInfo CBasicProfiledata::GetAudioLightInfo() {
    const Json::Value& section = pjson::At(m_document, "AudioLightInfo");
    m_audioLightInfo = section.isObject() ? ReadAudioLightInfo(section) : AudioLightInfo{};
    return m_audioLightInfo;
}

void CBasicProfiledata::SetAudioLightInfo(const AudioLightInfo& info) {
    m_audioLightInfo = info;
    WriteAudioLightInfo(pjson::ObjectMember(m_document, "AudioLightInfo"), info);
}

std::vector<LightListItem> CBasicProfiledata::GetLightList() {
    m_lightList = ReadLightList(pjson::At(m_document, "LightList"));
    return m_lightList;
}

std::vector<KeyEntry> CBasicProfiledata::GetKeyList() {
    m_keyList = ReadKeyList(pjson::At(m_document, "KeyList"));
    return m_keyList;
}

void CBasicProfiledata::SetKeyList(const std::vector<KeyEntry>& entries) {
    m_keyList = entries;
    WriteKeyList(m_document, entries);
}

std::vector<KeyEntry> CBasicProfiledata::GetSideKeyList() {
    m_sideKeyList = ReadKeyList(pjson::At(m_sideDocument, "KeyList"));
    return m_sideKeyList;
}

void CBasicProfiledata::SetSideKeyList(const std::vector<KeyEntry>& entries) {
    m_sideKeyList = entries;
    WriteKeyList(m_sideDocument, entries);
}
