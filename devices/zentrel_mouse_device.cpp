#include "devices/zentrel_mouse_device.h"

#include <algorithm>
#include <cerrno>

#include "devices/device_types.h"
#include "devices/key_codes.h"
#include "devices/light_tables.h"
#include "devices/macro_block.h"
#include "devices/mouse_light_effects.h"
#include "link/debug_trace.h"
#include "link/device_commands.h"
#include "link/result_codes.h"
#include "profiles/data_folders.h"
#include "profiles/json_file_util.h"

namespace {

constexpr uint8_t kCategoryMacro = 0x70;
constexpr uint8_t kCategoryMacroHeld = 0x71;

// The factory function of each of the eleven buttons.
constexpr std::array<std::array<uint8_t, 3>, kMouseButtons> kButtonFunctions = {{
    {0x10, 0x01, 0x00}, {0x10, 0x02, 0x00}, {0x10, 0x04, 0x00}, {0x10, 0x10, 0x00},
    {0x10, 0x08, 0x00}, {0x13, 0x01, 0x00}, {0x13, 0x02, 0x00}, {0x13, 0x03, 0x00},
    {0xA0, 0x1B, 0x00}, {0x16, 0x90, 0x01}, {0x14, 0x78, 0x02},
}};

constexpr uint16_t kCodeAddDevice = 1025;
constexpr uint16_t kCodeReactive = 1027;

}  // namespace

struct CZentrelMouseDevice::MouseEffects {
    MouseEffectState state;
};

CZentrelMouseDevice::CZentrelMouseDevice(Clock& clock)
    : CZentrelUSBDevice(clock), effects_(std::make_unique<MouseEffects>()) {
    deviceType_ = kTypeMouse;
    profile_.SetDefaultPath(::DefaultDataFolder() + "mouse.Json");
    ClearReactive();
    Reactive().wave[0] = 1;
    buttonMap_.fill(kNoSlot);
}

CZentrelMouseDevice::~CZentrelMouseDevice() { StopThreads(); }

bool CZentrelMouseDevice::Reachable() {
    DeviceLink& link = CommandLink();
    return link.Opened() && (!link.ViaReceiver() || QueryWireless(link));
}

int CZentrelMouseDevice::StageDpi(size_t stage) {
    if (stage >= stages_.size()) return 0;
    const DpiParams p = Dpi();
    return DpiFromLevel(p, LevelOfStageField(p.sensor, stages_[stage].x));
}

void CZentrelMouseDevice::SetProfilePaths() {
    const std::string folder = ProfileFolder();
    profile_.SetProfilePath(folder + profileFileName_ + ".Json");
    profile_.SetLibraryPath(folder + LibraryName() + ".config");
}

void CZentrelMouseDevice::SetLibraryRow(int row) {
    CZentrelUSBDevice::SetLibraryRow(row);
    profile_.SetDeviceIndex(0);
}

void CZentrelMouseDevice::SetLightState(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    CZentrelUSBDevice::SetLightState(a, b, c, d);
    profile_.SetLightInfo(LightState());
}

int CZentrelMouseDevice::LoadSelectedProfile() {
    SetProfilePaths();
    profile_.LoadProfile(profile_.GetProfilePath());
    keys_ = profile_.GetKeyList();
    LoadLightSettings();
    stages_ = profile_.GetDPIStages();
    system_ = profile_.GetMouseSystem();
    return 1;
}

int CZentrelMouseDevice::LoadLightSettings() {
    const LightInfo light = profile_.GetLightInfo();
    const uint8_t before = mirrorEffect_;
    SetLightInfo(light);
    mirrorEffect_ = light.selectItem;
    mirrorSpeed_ = light.speed;
    if (light.selectItem != before) {
        std::lock_guard lock(ledMutex_);
        ClearReactive();
        Reactive().wave[0] = 1;
    }
    {
        std::lock_guard leds(ledMutex_);
        std::lock_guard lock(overlayLock_);
        overlays_ = profile_.GetLightList();
        DrawOverlays(overlayState_, overlays_, leds_, true, Time().NowMs());
    }
    profile_.LoadLibrary(profile_.GetLibraryPath());
    SetCustomSteps(profile_.LoadCustomEffect());
    return 1;
}

void CZentrelMouseDevice::BuildButtonMap(const std::vector<uint8_t>& table) {
    buttonMap_.fill(kNoSlot);
    const size_t slots = std::min<size_t>(InfoBlock()[5], table.size() / 3);
    std::vector<bool> taken(slots, false);
    // A macro is sent with its device slot in place of its library index, so
    // only its category and play mode can be compared.
    auto holds = [&](size_t slot, const KeyAssignment& f) {
        const uint8_t* bytes = table.data() + slot * 3;
        const bool sameSlot = IsMacroAssignment(f) || bytes[1] == f.param1;
        return bytes[0] == f.category && sameSlot && bytes[2] == f.param2;
    };
    auto place = [&](size_t button, const KeyAssignment& f, bool ownSlotOnly) {
        for (size_t slot = 0; slot < slots; ++slot) {
            if (ownSlotOnly && slot != button) continue;
            if (taken[slot] || !holds(slot, f)) continue;
            buttonMap_[button] = static_cast<uint8_t>(slot);
            taken[slot] = true;
            return;
        }
    };
    auto factory = [](size_t button) {
        const auto& f = kButtonFunctions[button];
        return KeyAssignment{static_cast<uint16_t>(button), f[0], f[1], f[2], 0};
    };
    // The function the button was given, as it was sent: a macro that is no
    // longer in the library went as the key's default.
    const int macros = MacroCount();
    auto given = [&](size_t button) {
        if (button >= keys_.size()) return factory(button);
        const KeyEntry& key = keys_[button];
        const bool stale = IsMacroAssignment(key.current) && key.current.param1 >= macros;
        return stale ? key.defaultAssignment : key.current;
    };
    // A button's slot holds its factory function, or the function the profile
    // says it was given (matching factory functions alone would lose a button
    // once it has another function, and let the button whose factory function it
    // now carries take its slot). A button's own slot is taken first, then the
    // first free slot with its factory function, then with its given function.
    for (size_t button = 0; button < kMouseButtons; ++button) {
        place(button, factory(button), true);
        if (buttonMap_[button] == kNoSlot) place(button, given(button), true);
    }
    for (size_t button = 0; button < kMouseButtons; ++button)
        if (buttonMap_[button] == kNoSlot) place(button, factory(button), false);
    for (size_t button = 0; button < kMouseButtons; ++button)
        if (buttonMap_[button] == kNoSlot) place(button, given(button), false);
}

int CZentrelMouseDevice::ReadMouse() {
    DeviceLink& link = CommandLink();
    if (!Reachable()) return kResultNoReply;
    OpenTransfer(link);
    auto& info = InfoBlock();
    if (const int r = ReadInfoBlock(link, info.data()); r != kResultOk) return r;

    // Take-over: a block with the 0x55AA mark and no host flag is claimed once.
    const bool marked = info[0] == 0xAA && info[1] == 0x55;
    if (info[kInfoHostFlagByte] == 0 && marked) {
        info[kInfoHostFlagByte] = 1;
        WriteInfoBlock(link, info.data());
    } else if (info[kInfoHostFlagByte] != 1) {
        Events().PostMessage(kMessageDeviceState, 0, 0);
        return kResultNoReply;
    }
    Events().PostMessage(kMessageDeviceState, 1, 0);

    if (!link.SetTableLength(info[kInfoKeySlotsByte] * 3u)) return kResultNoReply;
    std::vector<uint8_t> table(kKeyTableBlockSize, 0);
    if (const int r = ReadKeyTable(link, table.data()); r != kResultOk) return r;
    keyTable_ = table;
    CloseTransfer(link);

    LoadSelectedProfile();
    BuildButtonMap(table);  // after the profile: it also knows the functions given to buttons
    ReadMouseSettings();
    ApplyToPage();
    StopLightingThread();
    StartLightingThread();
    return kResultOk;
}

int CZentrelMouseDevice::ReadMouseSettings() {
    DeviceLink& link = CommandLink();
    if (!Reachable()) return kResultNoReply;
    uint8_t active = 0;
    if (const int r = ReadSettings(link, &active, 1, 0); r != kResultOk) return r;
    MouseBlock block{};
    if (const int r = ReadSettings(link, block.data(), block.size(),
                                   static_cast<uint16_t>(active * kMouseBlockStride));
        r != kResultOk)
        return r;
    activeProfile_ = active;
    const int index = MapDeviceMode(Library(), block[1]);
    if (index >= 0) block[1] = static_cast<uint8_t>(index);
    block[9] = 0;
    blockCopy_ = block;

    const MouseBlockValues v = ReadMouseBlock(block);
    LightInfo light = LightState();
    light.selectItem = v.effect;
    if (index >= 0) light.selectItem = static_cast<uint8_t>(index);
    light.light = v.light;
    light.speed = v.speed;
    light.multiColor = v.multiColor;
    light.red = v.red;
    light.green = v.green;
    light.blue = v.blue;
    SetLightInfo(light);
    mirrorEffect_ = light.selectItem;
    mirrorSpeed_ = light.speed;

    MouseSystem s = profile_.GetMouseSystem();
    s.reportRate = v.system.reportRate;
    s.linearCalibration = v.system.linearCalibration;
    s.ripple = v.system.ripple;
    s.keyDebounceTime = v.system.keyDebounceTime;
    s.bleSleep1 = v.system.bleSleep1;
    s.bleSleep2 = v.system.bleSleep2;
    s.deviceSleep1 = v.system.deviceSleep1;
    s.deviceSleep2 = v.system.deviceSleep2;
    system_ = s;
    profile_.SetMouseSystem(s);
    profile_.SetActiveStage(v.activeStage);
    profile_.SetLightInfo(light);
    profile_.Save();
    return kResultOk;
}

int CZentrelMouseDevice::WriteProfileBlock(int profile, int firstByte) {
    const MouseBlock block = BuildMouseBlock(static_cast<uint8_t>(firstByte), profile_.GetLightInfo(),
                                             profile_.GetMouseSystem(), profile_.GetActiveStage(),
                                             profile_.GetDPIStages());
    DeviceLink& link = CommandLink();
    if (!Reachable()) return kResultNoReply;
    const int opened = OpenTransfer(link);
    if (link.ViaReceiver() && !QueryWireless(link)) return kResultNoReply;
    const int written = WriteSettings(link, block.data(), block.size(),
                                      static_cast<uint16_t>(profile * kMouseBlockStride));
    if (link.ViaReceiver() && !QueryWireless(link)) return kResultNoReply;
    const int closed = CloseTransfer(link);
    // A refused or lost write is reported, not taken for success.
    if (opened != kResultOk) return opened;
    if (written != kResultOk) return written;
    return closed;
}

void CZentrelMouseDevice::ReadActiveProfile() {
    ReadMouseSettings();
    ApplyToPage();
}

int CZentrelMouseDevice::ReadMouseStatus(std::array<uint8_t, 6>& record) {
    record.fill(0);
    DeviceLink& link = CommandLink();
    if (!link.Opened() || SkipStatus() || !QueryWireless(link)) return kResultNoReply;
    const int r = ReadStatus(link, record.data(), 2, 0);
    record[3] = link.ViaReceiver() ? 1 : 0;
    return r;
}

void CZentrelMouseDevice::ReadStatusBlock() {
    std::array<uint8_t, 6> record{};
    if (ReadMouseStatus(record) == kResultOk) View().ShowStatus(record.data(), record.size());
}

int CZentrelMouseDevice::Reconnect() {
    DeviceLink& link = CommandLink();
    link.SetPaused(false);
    InfoBlock()[kInfoHostFlagByte] = 1;
    const int r = WriteInfoBlock(link, InfoBlock().data());
    if (r != kResultOk) return r;
    Events().ArmEntryTimer(1001, 500);
    return kResultOk;
}

int CZentrelMouseDevice::MacroCount() {
    const Json::Value config = CJsonFileUtil::ReadJsonFile(ProfileFolder() + "macro.config");
    if (!config.isObject() || !config["MacroInfo"].isArray()) return 0;
    return static_cast<int>(config["MacroInfo"].size());
}

KeyPositions CZentrelMouseDevice::ButtonPositions() {
    return {buttonMap_, kNoSlot, std::min<size_t>(InfoBlock()[kInfoKeySlotsByte], keyTable_.size() / 3)};
}

std::vector<int> CZentrelMouseDevice::ListUsedMacros() {
    return MacroSlotOrder(keys_, ButtonPositions(), static_cast<size_t>(MacroCount()));
}

int CZentrelMouseDevice::SendKeyTable(const std::vector<KeyEntry>& keys) {
    DeviceLink& link = CommandLink();
    // Without a table read from the mouse the unmapped slots are unknown.
    if (keyTable_.empty() || !Reachable()) return kResultNoReply;
    const std::vector<uint8_t> image =
        BuildKeyTableImage(keys, ButtonPositions(), static_cast<size_t>(MacroCount()), keyTable_);
    if (image.empty() || !link.SetTableLength(static_cast<unsigned>(image.size())))
        return kResultNoReply;
    const int opened = OpenTransfer(link);
    if (link.ViaReceiver() && !QueryWireless(link)) return kResultNoReply;
    const int written = WriteKeyTable(link, image.data(), 0);
    if (link.ViaReceiver() && !QueryWireless(link)) return kResultNoReply;
    const int closed = CloseTransfer(link);
    if (opened != kResultOk) return opened;
    if (written != kResultOk) return written;
    std::copy(image.begin(), image.end(), keyTable_.begin());
    return closed;
}

void CZentrelMouseDevice::DropMissingMacros() {
    const int macros = MacroCount();
    bool changed = false;
    for (KeyEntry& key : keys_) {
        const uint8_t category = key.current.category;
        if ((category == kCategoryMacro || category == kCategoryMacroHeld) && key.current.param1 >= macros) {
            key.current = key.defaultAssignment;
            key.current.keyIndex = key.defaultAssignment.keyIndex;
            changed = true;
        }
    }
    if (!changed) return;
    profile_.SetKeyList(keys_);
    profile_.Save();
    SendKeyAssignments();
    View().SettingsChanged();
}

int CZentrelMouseDevice::SendMacros() {
    DeviceLink& link = CommandLink();
    if (!Reachable()) return 0;
    // The capacity byte must be the mouse's current one.
    std::array<uint8_t, kInfoBlockBytes> fresh{};
    if (ReadInfoBlock(link, fresh.data()) == kResultOk) InfoBlock() = fresh;
    const std::vector<int> order = ListUsedMacros();
    std::vector<uint8_t> block;
    const int refused = EncodeLibraryMacroBlock(ProfileFolder(), order, InfoBlock()[kMacroCapacityInfoByte], block);
    if (refused != 0) return refused;
    if (block.empty()) return 0;
    return SendMacroBlockWhileReachable(link, block, [this] { return Reachable(); });
}

KeyDataResult CZentrelMouseDevice::SendKeyData() {
    KeyDataResult out;
    out.macros = SendMacros();
    if (out.macros > 0) {
        out.r = out.macros;
        return out;
    }
    out.keyTable = SendKeyTable(keys_);
    out.keyTableSent = true;
    out.r = out.macros < 0 || out.keyTable < 0 ? -1 : 0;
    return out;
}

MacroDeleteOutcome CZentrelMouseDevice::DeleteMacro(int index, const std::vector<std::string>& profilePaths,
                                                    std::function<bool()> confirmInUse, KeyDataResult* sent) {
    MacroDeleteRequest request;
    request.folder = ProfileFolder();
    request.index = index;
    request.profilePaths = profilePaths;
    request.currentProfilePath = profile_.GetProfilePath();
    request.currentKeys = &keys_;
    request.confirmInUse = std::move(confirmInUse);
    request.storeCurrent = [this](const std::vector<KeyEntry>& keys) {
        keys_ = keys;
        profile_.SetKeyList(keys_);
        return profile_.Save();
    };
    const MacroDeleteOutcome out = DeleteMacroWithKeyFixUp(request);
    if (out.result == MacroDeleteResult::kDeleted && out.currentChanged) {
        const KeyDataResult r = SendKeyData();
        if (sent) *sent = r;
        View().SettingsChanged();
    }
    return out;
}

int CZentrelMouseDevice::StoreKeyAssignment(size_t key, const KeyAssignment& current) {
    if (key >= keys_.size()) return EINVAL;
    keys_[key].current = current;
    keys_[key].current.keyIndex = static_cast<uint16_t>(key);
    profile_.SetKeyList(keys_);
    return profile_.Save();
}

int CZentrelMouseDevice::RestoreMouseDefaults() {
    profile_.LoadProfile(profile_.GetDefaultPath());
    keys_ = profile_.GetKeyList();
    LoadLightSettings();
    stages_ = profile_.GetDPIStages();
    system_ = profile_.GetMouseSystem();
    const int saved = profile_.Save();
    ApplyToPage();
    return saved;
}

void CZentrelMouseDevice::ApplyToPage() {
    ShowFunctionPage(GetPageType());
    View().SettingsChanged();
}

// ---- edits ----

MouseCommit CZentrelMouseDevice::CommitStages() {
    profile_.SetDPIStages(stages_);
    MouseCommit c;
    c.saved = profile_.Save();
    c.sent = WriteProfileBlock(0, 0);
    return c;
}

MouseCommit CZentrelMouseDevice::CommitSystem() {
    profile_.SetMouseSystem(system_);
    MouseCommit c;
    c.saved = profile_.Save();
    c.sent = WriteProfileBlock(0, 0);
    return c;
}

MouseCommit CZentrelMouseDevice::SetStageEnabled(size_t stage, bool on) {
    if (stage >= stages_.size()) stages_.resize(stage + 1);
    stages_[stage].enabled = on ? 1 : 0;
    return CommitStages();
}

void CZentrelMouseDevice::StoreLevel(size_t stage, int level) {
    if (stage >= stages_.size()) stages_.resize(stage + 1);
    const uint16_t sensor = Dpi().sensor;
    // Other sensors show their levels but edits leave them as they are.
    if (SensorTakesLevelEdits(sensor)) stages_[stage].x = StageFieldFor(sensor, level);
}

MouseCommit CZentrelMouseDevice::SelectActiveStage(size_t stage) {
    profile_.SetActiveStage(static_cast<int>(stage));
    // Every stage's level is taken again from what its slider shows.
    for (size_t i = 0; i < stages_.size(); ++i) StoreLevel(i, LevelOfStageField(Dpi().sensor, stages_[i].x));
    return CommitStages();
}

MouseCommit CZentrelMouseDevice::SetStageLevel(size_t stage, int level) {
    StoreLevel(stage, level);
    return CommitStages();
}

MouseCommit CZentrelMouseDevice::SetStageDpi(size_t stage, int dpi) {
    return SetStageLevel(stage, LevelFromDpi(Dpi(), std::clamp(dpi, kDpiTextMin, kDpiTextMax)));
}

MouseCommit CZentrelMouseDevice::SetStageColour(size_t stage, Rgb colour) {
    if (stage >= stages_.size()) stages_.resize(stage + 1);
    stages_[stage].red = colour.r;
    stages_[stage].green = colour.g;
    stages_[stage].blue = colour.b;
    return CommitStages();
}

MouseCommit CZentrelMouseDevice::SetReportRate(int index) {
    system_.reportRate = static_cast<uint16_t>(index);
    return CommitSystem();
}

MouseCommit CZentrelMouseDevice::SetLiftOff(int option) {
    system_.silentAltitude = static_cast<uint16_t>(option);
    return CommitSystem();
}

MouseCommit CZentrelMouseDevice::SetLinearCalibration(int option) {
    system_.linearCalibration = static_cast<uint16_t>(option);
    return CommitSystem();
}

MouseCommit CZentrelMouseDevice::SetRipple(int option) {
    system_.ripple = static_cast<uint16_t>(option);
    return CommitSystem();
}

MouseCommit CZentrelMouseDevice::SetDebounce(int index) {
    system_.keyDebounceTime = static_cast<uint16_t>(index);
    return CommitSystem();
}

MouseCommit CZentrelMouseDevice::SetSleep(MouseSleep which, int value) {
    const auto v = static_cast<uint16_t>(value);
    switch (which) {
        case MouseSleep::Ble1: system_.bleSleep1 = v; break;
        case MouseSleep::Ble2: system_.bleSleep2 = v; break;
        case MouseSleep::Device1: system_.deviceSleep1 = v; break;
        case MouseSleep::Device2: system_.deviceSleep2 = v; break;
    }
    return CommitSystem();
}

int CZentrelMouseDevice::SetPointerValues(uint16_t doubleClick, uint16_t speed, bool precision,
                                          bool scrollPage, uint16_t wheelLines) {
    system_.doubleClickTime = doubleClick;
    system_.mouseSpeed = speed;
    system_.pointerPrecision = precision ? 1 : 0;
    system_.scrollPage = scrollPage ? 1 : 0;
    system_.wheelScrollLines = wheelLines;
    profile_.SetMouseSystem(system_);
    return profile_.Save();
}

// ---- lighting ----

uint8_t CZentrelMouseDevice::MirrorEffect() const { return mirrorEffect_; }
uint8_t CZentrelMouseDevice::MirrorSpeed() const { return mirrorSpeed_; }

void CZentrelMouseDevice::EffectStepA() { MouseWaveStep(effects_->state, LightState(), leds_); }
void CZentrelMouseDevice::EffectStepB() { MouseZoneRippleStep(effects_->state, Reactive(), LightState(), leds_); }
void CZentrelMouseDevice::EffectStepC() { MouseReactiveFadeStep(effects_->state, LightState(), leds_); }

void CZentrelMouseDevice::LightingPass(uint64_t nowMs) {
    const MouseEffectKind kind = KindOf(MirrorEffect());
    if (kind == MouseEffectKind::Custom) {
        RunCustomPass(nowMs);
        return;
    }
    if (++tickCounter_ < TicksOf(MirrorSpeed())) return;
    tickCounter_ = 0;
    switch (kind) {
        case MouseEffectKind::Static: StepStatic(); break;
        case MouseEffectKind::Breathing: StepBreathing(); break;
        case MouseEffectKind::Wave: EffectStepA(); break;
        case MouseEffectKind::Spectrum: StepSpectrum(); break;
        case MouseEffectKind::ZoneRipple: EffectStepB(); break;
        case MouseEffectKind::BreathingFourColour: StepBreathingFourColour(); break;
        case MouseEffectKind::Flash: StepFlash(); break;
        case MouseEffectKind::ReactiveFade: EffectStepC(); break;
        case MouseEffectKind::FlashFourColour: StepFlashFourColour(); break;
        case MouseEffectKind::Off: StepOff(); break;
        case MouseEffectKind::Custom: break;
    }
}

uint32_t CZentrelMouseDevice::MainEffectPassesUntilChange(uint64_t nowMs) {
    const MouseEffectKind kind = KindOf(MirrorEffect());
    if (kind == MouseEffectKind::Custom) {
        std::lock_guard lock(lightDataLock_);
        return CustomPassesUntilChange(runner_, customSteps_, LightState().speed, nowMs, kLightTickMs);
    }
    if (MouseEffectIsSteady(kind)) return 50;  // the same frame every time
    const uint8_t threshold = TicksOf(MirrorSpeed());
    return tickCounter_ + 1u >= threshold ? 1u : static_cast<uint32_t>(threshold - tickCounter_);
}

void CZentrelMouseDevice::OnCompanionReport(const uint8_t* report, size_t length, uint16_t, bool receiver) {
    if (length < 3) return;
    const auto code = static_cast<uint16_t>(report[1] | (report[2] << 8));
    if (code == kCodeAddDevice) {
        DebugTrace("接收到自动添加设备的同步信息要求");
        Events().ArmEntryTimer(kTimerSync, 50);
        return;
    }
    if (code == kCodeReactive) {
        if (!receiver && LightState().selectItem == 7) {
            std::lock_guard lock(ledMutex_);
            TriggerReactive(effects_->state, leds_.size());
        }
        return;
    }
    // A profile chosen on the mouse: the UI thread reads the settings again when
    // the entry's timer fires.
    const uint8_t high = static_cast<uint8_t>(code >> 8);
    if (code > kCodeAddDevice && CommandLink().Opened() && (high == 0x10 || high == 0x11))
        Events().ArmEntryTimer(kTimerSync, 50);
}
