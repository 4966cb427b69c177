// The mouse: its settings model (DPI stages, report rate, sensor and power
// options, keys, light state), kept in its profile document and written to the
// mouse as one 86-byte profile block after every accepted edit.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "devices/key_table_image.h"
#include "devices/macro_delete.h"
#include "devices/mouse_dpi.h"
#include "devices/mouse_profile_block.h"
#include "devices/zentrel_usb_device.h"
#include "profiles/mouse_profile_data.h"

inline constexpr int kMessageDeviceState = 3333;  // wParam 1: taken over, 0: device error
inline constexpr int kTimerSync = 1002;
inline constexpr size_t kMouseButtons = 11;
inline constexpr uint8_t kNoSlot = 0xAA;

// The result of an accepted edit: the profile was saved (0) or not (an errno
// value), and what the block write gave (1 sent; 0 unreachable; the device's code).
struct MouseCommit {
    int saved = 0;
    int sent = 0;
    bool ok() const { return saved == 0 && sent == 1; }
};

enum class MouseSleep { Ble1, Ble2, Device1, Device2 };

class CZentrelMouseDevice : public CZentrelUSBDevice {
public:
    explicit CZentrelMouseDevice(Clock& clock = SteadyClock::Instance());
    ~CZentrelMouseDevice() override;

    CMouseProfiledata& Profile() { return profile_; }
    // The profile file of the active profile: device folder + name + ".Json".
    void SetProfileFileName(const std::string& name) { profileFileName_ = name; }

    // ---- the model ----
    const std::vector<KeyEntry>& Keys() const { return keys_; }
    const std::vector<DpiStage>& Stages() const { return stages_; }
    int ActiveStage() { return profile_.GetActiveStage(); }
    const MouseSystem& System() const { return system_; }
    const std::array<uint8_t, kMouseButtons>& ButtonMap() const { return buttonMap_; }
    const MouseBlock& LastBlock() const { return blockCopy_; }
    DpiParams Dpi() { return DpiParamsFromInfo(InfoBlock().data()); }
    int StageDpi(size_t stage);

    // ---- operations of the device base ----
    int LoadLightSettings() override;
    void ReadAll() override { ReadMouse(); }
    void ReadActiveProfile() override;
    void ReadStatusBlock() override;
    int IsReachable() override { return Reachable() ? 1 : 0; }
    int LoadSelectedProfile() override;
    void ApplyToPage() override;
    void OnMacrosChanged() override { DropMissingMacros(); }
    // Library indices of the macros the keys use, in device slot order.
    std::vector<int> ListUsedMacros() override;
    // Writes the key table built from `keys` over the last table read or sent.
    int SendKeyTable(const std::vector<KeyEntry>& keys) override;
    int SendKeyAssignments() override { return SendKeyTable(keys_); }
    // The macros the keys use, as one block in a transfer bracket, each step
    // only while the mouse is reachable. 0: sent, nothing to send, or not
    // reachable at the start; −1: the mouse went out of reach or refused the
    // block; > 0: the encoder's refusal (nothing sent).
    int SendMacros() override;
    // SendMacros, then (unless the macros did not fit) the key table.
    KeyDataResult SendKeyData() override;
    void RestoreDefaults() override { RestoreMouseDefaults(); }
    int SendSettings(int profile, int firstByte) override { return WriteProfileBlock(profile, firstByte); }
    void LoadLibraries() override { LoadLightLibraryFiles(); }
    void SetProfilePaths() override;
    std::string GetProfileText() override { return profile_.GetProfilePath(); }
    void SaveProfile() override { profile_.Save(); }
    void SetLibraryRow(int row) override;
    void SetLightState(uint32_t a, uint32_t b, uint32_t c, uint32_t d) override;
    void EffectStepA() override;
    void EffectStepB() override;
    void EffectStepC() override;

    // ---- the mouse's own operations; results are the device codes ----
    // The full read when the link opens: information block, take-over, key
    // table and button map, profile, settings, lighting thread.
    int ReadMouse();
    int ReadMouseSettings();
    int WriteProfileBlock(int profile, int firstByte);
    // The battery record (6 bytes; byte 3 = 1 through the receiver).
    int ReadMouseStatus(std::array<uint8_t, 6>& record);
    int Reconnect();
    void DropMissingMacros();
    // Deletes macro `index` of the mouse's library with the key fix-up in
    // every profile (profilePaths: the documents of the profile list; the
    // current one is the mouse's own); confirmInUse is asked when a key of the
    // current profile uses the macro. When the current keys changed they are
    // stored, the profile saved and the key data sent (its result in *sent).
    MacroDeleteOutcome DeleteMacro(int index, const std::vector<std::string>& profilePaths,
                                   std::function<bool()> confirmInUse, KeyDataResult* sent = nullptr);
    // Returns the result of saving the defaults as the active profile (0: saved).
    int RestoreMouseDefaults();

    // ---- the page's edits: record → profile → save → block ----
    MouseCommit SetStageEnabled(size_t stage, bool on);
    MouseCommit SelectActiveStage(size_t stage);
    MouseCommit SetStageLevel(size_t stage, int level);
    MouseCommit SetStageDpi(size_t stage, int dpi);  // a typed DPI value
    MouseCommit SetStageColour(size_t stage, Rgb colour);
    MouseCommit SetReportRate(int index);
    MouseCommit SetLiftOff(int option);
    MouseCommit SetLinearCalibration(int option);
    MouseCommit SetRipple(int option);
    MouseCommit SetDebounce(int index);
    MouseCommit SetSleep(MouseSleep which, int value);
    // The key editor's apply: key `key` gets `current` as its function and the
    // key list is saved in the profile; nothing is sent (SendKeyAssignments
    // does). Returns the save result (0 saved, else an errno value); EINVAL for
    // a key that is not in the list.
    int StoreKeyAssignment(size_t key, const KeyAssignment& current);
    // Kept in the profile only; nothing is sent.
    int SetPointerValues(uint16_t doubleClick, uint16_t speed, bool precision, bool scrollPage,
                         uint16_t wheelLines);

    // The option the page shows for a value (report rate 0-3, else 0; the
    // two-option settings 0-1, else 0).
    static int ReportRateOption(int value) { return value >= 0 && value <= 3 ? value : 0; }
    static int TwoWayOption(int value) { return value == 0 || value == 1 ? value : 0; }

protected:
    uint8_t MirrorEffect() const override;
    uint8_t MirrorSpeed() const override;
    void LightingPass(uint64_t nowMs) override;
    uint32_t MainEffectPassesUntilChange(uint64_t nowMs) override;
    bool OverlaysEveryPass() const override { return false; }
    void OnCompanionReport(const uint8_t* report, size_t length, uint16_t code, bool receiver) override;

private:
    bool Reachable();
    MouseCommit CommitStages();
    MouseCommit CommitSystem();
    void StoreLevel(size_t stage, int level);
    void BuildButtonMap(const std::vector<uint8_t>& table);
    int MacroCount();
    KeyPositions ButtonPositions();

    CMouseProfiledata profile_;
    std::string profileFileName_ = "Profile1";
    std::vector<KeyEntry> keys_;
    std::vector<DpiStage> stages_;
    MouseSystem system_;
    std::vector<uint8_t> keyTable_;
    std::array<uint8_t, kMouseButtons> buttonMap_{};
    MouseBlock blockCopy_{};
    uint8_t activeProfile_ = 0;
    std::atomic<uint8_t> mirrorEffect_{0};
    std::atomic<uint8_t> mirrorSpeed_{0};
    struct MouseEffects;
    std::unique_ptr<MouseEffects> effects_;
};
