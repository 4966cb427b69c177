// CBasicProfiledata: the settings of a device's active profile as a JSON
// document in memory (the device object, "Device"[device index] of the profile
// file), the records read from and written to it, a second "side" document for
// editing another profile's file, and the device's lighting library. The mouse
// pad uses this class itself; the mouse, keyboard and headset derive from it.
//
// Results of the writing operations: 0 when done, else an errno value (EINVAL
// for an empty path or an index out of range); a failed write leaves the file
// as it was.
#pragma once

#include <json/json.h>

#include <string>
#include <string_view>
#include <vector>

#include "profiles/profile_records.h"

class CBasicProfiledata {
  public:
    CBasicProfiledata() = default;
    virtual ~CBasicProfiledata() = default;
    CBasicProfiledata(const CBasicProfiledata&) = default;
    CBasicProfiledata& operator=(const CBasicProfiledata&) = default;

    // The profile file that Save writes; an empty path is ignored.
    void SetProfilePath(const std::string& path);
    const std::string& GetProfilePath() const { return m_profilePath; }
    // The default file the loads fall back to; an empty path is ignored.
    void SetDefaultPath(const std::string& path);
    const std::string& GetDefaultPath() const { return m_defaultPath; }
    // The element of "Device" that holds the device object (every kind uses 0).
    void SetDeviceIndex(int index) { m_deviceIndex = index; }
    int GetDeviceIndex() const { return m_deviceIndex; }

    // Reads "Device"[device index] of the file at path into the document. When
    // the file lacks a device object (missing, unreadable, incomplete), the one
    // of the default file is taken and written into the file at path, which is
    // thus created or completed; the result of that write goes to *writeResult
    // (0 when nothing had to be written). Returns a copy of the document.
    Json::Value LoadProfile(const std::string& path, int* writeResult = nullptr);
    // The same into the side document.
    Json::Value LoadSide(const std::string& path, int* writeResult = nullptr);
    // Takes "Device"[device index] of a profile text as the document, without
    // the default fallback and without writing anything.
    Json::Value LoadProfileFromText(std::string_view text);

    const Json::Value& GetDocument() const { return m_document; }
    const Json::Value& GetSideDocument() const { return m_sideDocument; }

    // Writes the document as the device object of the profile file.
    virtual int Save();
    // Sets "Device"[device index] of the file at path to device, keeping every
    // other member and element of the file (a missing or unreadable file is
    // replaced by { "Device": [ device ] }).
    virtual int WriteDevice(const Json::Value& device, const std::string& path);
    // WriteDevice(side document, path).
    virtual int SaveSide(const std::string& path);
    // Writes a whole document to path.
    virtual int WriteDocument(const Json::Value& document, const std::string& path);

    // "LightInfo"; missing: all zero.
    LightInfo GetLightInfo();
    void SetLightInfo(const LightInfo& info);
    // "AudioLightInfo"; missing: all zero; "ColorTypeFlags" always reads 1.
    AudioLightInfo GetAudioLightInfo();
    void SetAudioLightInfo(const AudioLightInfo& info);
    // "LightList"; missing: empty.
    std::vector<LightListItem> GetLightList();
    // "KeyList" of the document and of the side document; missing: empty.
    // Setting writes each entry's current function as "Assignment".
    std::vector<KeyEntry> GetKeyList();
    void SetKeyList(const std::vector<KeyEntry>& entries);
    std::vector<KeyEntry> GetSideKeyList();
    void SetSideKeyList(const std::vector<KeyEntry>& entries);

    // The lighting-library file of the device.
    void SetLibraryPath(const std::string& path) { m_libraryPath = path; }
    const std::string& GetLibraryPath() const { return m_libraryPath; }
    // Reads the lighting library at path (a null value when unreadable).
    Json::Value LoadLibrary(const std::string& path);
    // The steps of the custom effect that the light info's "SelectItem" picks
    // in the library's "LightInfo"[device index] row: the file "Guid" +
    // ".light", a relative Guid taken in the folder of the library file.
    // Empty when there is no library, entry, Guid or readable effect file.
    std::vector<EffectStep> LoadCustomEffect();
    const std::vector<EffectStep>& GetCustomEffectSteps() const { return m_effectSteps; }

  protected:
    Json::Value& Document() { return m_document; }
    const Json::Value& Document() const { return m_document; }

  private:
    Json::Value Load(Json::Value& slot, const std::string& path, int* writeResult);

    std::string m_profilePath;
    std::string m_defaultPath;
    LightInfo m_lightInfo;
    LightInfo m_fallbackLightInfo;
    AudioLightInfo m_audioLightInfo;
    std::vector<LightListItem> m_lightList;
    Json::Value m_document;
    Json::Value m_sideDocument;
    std::string m_libraryPath;
    std::string m_loadedLibraryPath;  // the file m_library came from
    Json::Value m_library;
    std::vector<EffectStep> m_effectSteps;
    std::vector<KeyEntry> m_keyList;
    std::vector<KeyEntry> m_sideKeyList;
    int m_deviceIndex = 0;
};
