#include "profiles/basic_profile_data.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "link/debug_trace.h"
#include "profiles/device_object.h"
#include "profiles/json_file_util.h"

void CBasicProfiledata::SetProfilePath(const std::string& path) {
    if (!path.empty())
        m_profilePath = path;
}

void CBasicProfiledata::SetDefaultPath(const std::string& path) {
    if (!path.empty())
        m_defaultPath = path;
}

namespace {

void KeepUnreadableFile(const std::string& path) {
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0) return;  // missing: nothing to keep
    const std::string kept = path + "." + CJsonFileUtil::MakeTimeStampName() + ".unreadable";
    if (std::rename(path.c_str(), kept.c_str()) != 0) {
        DebugTrace("cannot keep the unreadable profile " + path + ": " + std::strerror(errno));
        return;
    }
    DebugTrace("unreadable profile kept as " + kept);
}

}  // namespace

Json::Value CBasicProfiledata::Load(Json::Value& slot, const std::string& path, int* writeResult) {
    if (writeResult)
        *writeResult = 0;
    Json::Value work = CJsonFileUtil::ReadJsonFile(path);
    slot = DeviceObjectOf(work, m_deviceIndex);
    if (slot.isNull()) {
        // A file that is there but cannot be read (damaged, too large, an I/O
        // error) is kept beside the new one rather than lost.
        if (work.isNull()) KeepUnreadableFile(path);
        // Create or complete the file from the default file's device object.
        slot = DeviceObjectOf(CJsonFileUtil::ReadJsonFile(m_defaultPath), m_deviceIndex);
        int result = PutDeviceObject(work, m_deviceIndex, slot);
        if (result == 0)
            result = CJsonFileUtil::WriteJsonFile(path, work);
        if (writeResult)
            *writeResult = result;
    }
    return slot;
}

Json::Value CBasicProfiledata::LoadProfile(const std::string& path, int* writeResult) {
    return Load(m_document, path, writeResult);
}

Json::Value CBasicProfiledata::LoadSide(const std::string& path, int* writeResult) {
    return Load(m_sideDocument, path, writeResult);
}

Json::Value CBasicProfiledata::LoadProfileFromText(std::string_view text) {
    m_document = DeviceObjectOf(CJsonFileUtil::ParseJson(text), m_deviceIndex);
    return m_document;
}

int CBasicProfiledata::Save() {
    return WriteDevice(m_document, m_profilePath);
}

int CBasicProfiledata::WriteDevice(const Json::Value& device, const std::string& path) {
    if (path.empty()) {
        DebugTrace("WriteDevice: no profile file");
        return EINVAL;
    }
    Json::Value work = CJsonFileUtil::ReadJsonFile(path);
    const int result = PutDeviceObject(work, m_deviceIndex, device);
    if (result != 0)
        return result;
    return CJsonFileUtil::WriteJsonFile(path, work);
}

int CBasicProfiledata::SaveSide(const std::string& path) {
    return WriteDevice(m_sideDocument, path);
}

int CBasicProfiledata::WriteDocument(const Json::Value& document, const std::string& path) {
    return CJsonFileUtil::WriteJsonFile(path, document);
}
