// The lighting library of a device and the custom effect it selects.
#include "profiles/basic_profile_data.h"
#include "profiles/json_file_util.h"
#include "profiles/light_sections.h"

namespace {

// A relative effect file name is taken in the folder of the library file.
std::string EffectFilePath(const std::string& guid, const std::string& libraryPath) {
    const std::string file = guid + ".light";
    if (file.front() == '/')
        return file;
    const size_t slash = libraryPath.rfind('/');
    if (slash == std::string::npos)
        return file;
    return libraryPath.substr(0, slash + 1) + file;
}

}  // namespace

Json::Value CBasicProfiledata::LoadLibrary(const std::string& path) {
    m_library = CJsonFileUtil::ReadJsonFile(path);
    m_loadedLibraryPath = path;
    return m_library;
}

std::vector<EffectStep> CBasicProfiledata::LoadCustomEffect() {
    m_effectSteps.clear();
    if (m_library.isNull())
        return m_effectSteps;
    const std::string guid = CustomEffectGuid(m_library, m_deviceIndex, m_lightInfo.selectItem);
    if (guid.empty())
        return m_effectSteps;
    m_effectSteps =
        ReadEffectSteps(CJsonFileUtil::ReadJsonFile(EffectFilePath(guid, m_loadedLibraryPath)));
    return m_effectSteps;
}
