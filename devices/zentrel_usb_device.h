// The common base of the device objects: command and companion links,
// identity, counts and flags, the lighting state and its software preview,
// the lighting thread and the synchronisation readers. Toolkit-free: the page
// is reached through a DeviceView, the main window through DeviceEvents.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "devices/clock.h"
#include "devices/custom_runner.h"
#include "devices/device_events.h"
#include "devices/device_view.h"
#include "devices/key_data.h"
#include "devices/light_library.h"
#include "devices/overlay_effects.h"
#include "devices/preview_engine.h"
#include "devices/worker_thread.h"
#include "link/device_identity.h"
#include "link/device_link.h"
#include "profiles/profile_records.h"

inline constexpr size_t kInfoBlockBytes = 34;
inline constexpr uint32_t kLightTickMs = 2;  // one pass of the lighting thread

class CZentrelUSBDevice {
public:
    explicit CZentrelUSBDevice(Clock& clock = SteadyClock::Instance());
    virtual ~CZentrelUSBDevice();
    CZentrelUSBDevice(const CZentrelUSBDevice&) = delete;
    CZentrelUSBDevice& operator=(const CZentrelUSBDevice&) = delete;

    // ---- links, identity, counts and flags ----
    DeviceLink& CommandLink() { return commandLink_; }
    DeviceLink& CompanionLink() { return companionLink_; }
    bool ThroughReceiver() const { return throughReceiver_; }
    void SetThroughReceiver(bool on) { throughReceiver_ = on; }
    const DeviceIdentity& Identity() const { return identity_; }
    void SetIdentity(const DeviceIdentity& identity);
    int DeviceType() const { return deviceType_; }
    int Role() const { return role_; }
    int Row() const { return row_; }
    void SetRow(int row) { row_ = row; }
    size_t KeyCount() const { return keyCount_; }
    void SetKeyCount(size_t count) { keyCount_ = count; }
    size_t LedCount() const;
    // Resizes the LED colour array and the overlay state, and clears the overlay list.
    void SetLedCount(size_t count);
    bool Wireless() const { return wireless_; }
    void SetWireless(bool on) { wireless_ = on; }
    bool SkipStatus() const { return skipStatus_; }
    void SetSkipStatus(bool on) { skipStatus_ = on && wireless_; }
    std::array<uint8_t, kInfoBlockBytes>& InfoBlock() { return info_; }
    const std::string& FolderName() const { return folderName_; }
    void SetFolderName(const std::string& name) { folderName_ = name; }
    const std::string& LibraryName() const { return libraryName_; }
    void SetLibraryName(const std::string& name) { libraryName_ = name; }
    void SetView(DeviceView* view) { view_ = view ? view : &nullView_; }
    void SetEvents(DeviceEvents* events) { events_ = events ? events : &nullEvents_; }

    // The user's folder of this device (created when missing) and the folder of
    // the shipped default data.
    std::string ProfileFolder() const;
    std::string DefaultDataFolder() const;
    // Reads "default_light.json" and the device's library file into the
    // library lists (the device's row of each).
    void LoadLightLibraryFiles();

    // ---- light control (command 28) ----
    void SetLightControl(bool on);
    bool LightControl() const { return lightControl_; }
    int SendEnterLightControl();

    // ---- the virtual operations, in their order ----
    virtual void BuildPage();
    virtual int LoadLightSettings() { return 0; }
    virtual void StepBreathing();
    virtual void StepBreathingFourColour();
    virtual void StepStatic();
    virtual void StepSpectrum();
    virtual void StepFlash();
    virtual void StepFlashFourColour();
    virtual void StepOff();
    virtual void ShowLeds();
    virtual void SetLedColour(size_t index, uint32_t argb);
    virtual uint32_t GetLedColour(size_t index) const;
    virtual void ReadAll() {}
    virtual void ReadActiveProfile() {}
    virtual void ReadStatusBlock() {}
    virtual int IsReachable() { return 1; }
    virtual int LoadSelectedProfile() { return 0; }
    virtual void ApplyToPage() {}
    virtual void OnMacrosChanged() {}
    virtual void RestoreDefaults() {}
    virtual std::vector<int> ListUsedMacros() { return {}; }
    virtual int SendKeyTable(const std::vector<KeyEntry>& keys) {
        (void)keys;
        return 0;
    }
    virtual int SendKeyAssignments() { return 0; }
    virtual int SendMacros() { return 0; }
    // The macro block and then the key table (see KeyDataResult).
    virtual KeyDataResult SendKeyData() { return {}; }
    virtual int SendSettings(int profile, int firstByte) {
        (void)profile;
        (void)firstByte;
        return 0;
    }
    virtual void LoadLibraries() {}
    virtual void SetKeyLedMap(const std::vector<uint8_t>& map) { keyLedMap_ = map; }
    virtual uint8_t DecayKeyLevel(size_t key, int variant);
    virtual void MarkWaveKeys();
    virtual void RotateWave(bool forward);
    virtual void ClearReactive();
    virtual void ShowFunctionPage(int pageType);
    virtual int GetPageType() const { return pageType_; }
    virtual void SetProfilePaths() {}
    virtual std::string GetProfileText() { return {}; }
    virtual void SaveProfile() {}
    virtual void SetLibraryRow(int row) { libraryRow_ = row; }
    virtual int GetLibraryRow() const { return libraryRow_; }
    // The light-info record as four values: bytes 0-3, 4-7, 8-11 and 12-13.
    virtual void SetLightState(uint32_t a, uint32_t b, uint32_t c, uint32_t d);
    virtual void SetAudioLight(const AudioLightInfo& record) { audioLight_ = record; }
    virtual AudioLightInfo TakeAudioLight() { return audioLight_; }
    virtual void SelectKey(int key) { selectedKey_ = key; }
    virtual void SetAudioLevels(const int* values, int count) {
        (void)values;
        (void)count;
    }
    virtual void SetAudioColour(const int* values, int count) {
        (void)values;
        (void)count;
    }
    // ---- what every derived class adds ----
    virtual void BuildOwnPage() {}
    virtual std::array<uint32_t, 4> GetLightState() const;
    virtual void EffectStepA() {}
    virtual void EffectStepB() {}
    virtual void EffectStepC() {}

    // The light state as a record, and the frame the preview last drew.
    LightInfo LightState() const;
    void SetLightInfo(const LightInfo& light);
    LedFrame Frame() const;
    // The colour each LED is sent as (component × alpha ÷ 256).
    std::vector<Rgb> DeviceColours() const;
    const ReactiveState& Reactive() const { return reactive_; }
    ReactiveState& Reactive() { return reactive_; }

    // ---- overlays, custom steps, library ----
    void SetOverlayList(const std::vector<LightListItem>& items);
    std::vector<LightListItem> OverlayList() const;
    void SetCustomSteps(const std::vector<EffectStep>& steps);
    const LightLibraryLists& Library() const { return library_; }
    LightLibraryLists& Library() { return library_; }

    // ---- the lighting thread ----
    void StartLightingThread();
    void StopLightingThread();
    // Stops the lighting thread and both readers; every derived destructor calls
    // it first, since the threads run the derived class's operations.
    void StopThreads();
    // One pass of the lighting thread (one tick) at the given time, and how many
    // passes can go by before one draws something new. Exposed for tests.
    void RunLightingPasses(uint32_t passes, uint64_t nowMs);
    uint32_t PassesUntilChange(uint64_t nowMs);

    // ---- synchronisation readers (companion interfaces) ----
    bool StartReader(bool receiver, const std::string& path);
    void StopReader(bool receiver);
    bool ReaderOpen(bool receiver) const;

protected:
    // The effect and speed the lighting thread plays: the device's light mirror.
    virtual uint8_t MirrorEffect() const { return LightState().selectItem; }
    virtual uint8_t MirrorSpeed() const { return LightState().speed; }
    // One tick of the lighting thread with the frame locked; the base plays the
    // mouse pad's and headset's effect table.
    virtual void LightingPass(uint64_t nowMs);
    virtual uint32_t MainEffectPassesUntilChange(uint64_t nowMs);
    // The per-LED overlays run on every pass (keyboard, mouse pad, headset).
    virtual bool OverlaysEveryPass() const { return true; }
    // A report from a companion interface; `code` is the first usage of the report.
    virtual void OnCompanionReport(const uint8_t* report, size_t length, uint16_t code, bool receiver);
    virtual bool ReopensReaders() const { return true; }
    virtual int ReaderStopTimeoutMs() const { return 500; }
    virtual const char* ReaderExitText() const { return "MS 设备同步线程设定退出"; }

    void RunCustomPass(uint64_t nowMs);
    void DrawOverlaysLocked(bool reset, uint64_t nowMs);
    DeviceView& View() { return *view_; }
    DeviceEvents& Events() { return *events_; }
    Clock& Time() { return clock_; }

    int deviceType_ = 0;
    int role_ = 0;
    uint8_t tickCounter_ = 0;
    uint64_t passNowMs_ = 0;  // the time of the pass being drawn

    // The LED colour array; the lighting thread draws it, the UI thread shows it.
    mutable std::recursive_mutex ledMutex_;
    LedFrame leds_;
    PreviewState preview_;

    mutable std::recursive_mutex lightDataLock_;  // the custom steps
    std::vector<EffectStep> customSteps_;
    CustomRunnerState runner_;
    mutable std::recursive_mutex overlayLock_;    // the overlay list
    std::vector<LightListItem> overlays_;
    OverlayState overlayState_;

private:
    void LightingThreadMain(StopEvent& stop);
    void ReaderThreadMain(StopEvent& stop, bool receiver);
    void PublishFrame();

    Clock& clock_;
    DeviceLink commandLink_;
    DeviceLink companionLink_;
    bool throughReceiver_ = false;
    DeviceIdentity identity_;
    int row_ = 0;
    size_t keyCount_ = 0;
    bool wireless_ = false;
    bool skipStatus_ = false;
    std::array<uint8_t, kInfoBlockBytes> info_{};
    mutable std::mutex lightStateMutex_;
    LightInfo light_;
    std::array<uint8_t, 3> unusedLightBytes_{};
    ReactiveState reactive_;
    std::vector<uint8_t> keyLedMap_;
    AudioLightInfo audioLight_;
    bool lightControl_ = false;
    std::string folderName_;
    std::string libraryName_;
    int libraryRow_ = 0;
    int pageType_ = 0;
    int selectedKey_ = -1;
    LightLibraryLists library_;
    LedFrame published_;  // the last frame the page was told about (ledMutex_)

    NullDeviceView nullView_;
    DeviceEvents nullEvents_;
    DeviceView* view_ = &nullView_;
    DeviceEvents* events_ = &nullEvents_;

    WorkerThread lightingThread_;
    WorkerThread readers_[2];  // cable, receiver
    std::atomic<bool> readerOpen_[2] = {false, false};
};
