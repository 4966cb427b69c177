#include "devices/zentrel_usb_device.h"

#include <algorithm>

#include <json/json.h>

#include "devices/device_types.h"
#include "devices/light_tables.h"
#include "link/debug_trace.h"
#include "link/device_commands.h"
#include "profiles/data_folders.h"
#include "profiles/json_file_util.h"

namespace {

constexpr uint64_t kClosedWaitMs = 100;      // the command link is not opened
constexpr uint64_t kPausedWaitMs = 20;       // the light pause is set
constexpr uint32_t kMaxIdlePasses = 50;      // a still frame is looked at again after 100 ms
constexpr uint32_t kMaxAnimatedPasses = 8;   // per-pass animations are drawn at least every 16 ms
constexpr uint32_t kMaxCatchUpPasses = 500;  // after a long stall the thread does not replay it all
// Frames are published at most this often (20 a second): every pass in
// between is still computed, so the frames shown are those of a 2 ms tick, but
// the thread does not wake for frames no one can see.
constexpr uint64_t kMinFrameIntervalMs = 50;
constexpr uint64_t kUnwatchedWaitMs = 500;  // nobody looks: catch up twice a second

bool PlaysTableEffect(uint8_t effect) { return effect <= 8 && effect != 5; }

}  // namespace

FunctionPageChoice FunctionPageFor(int pageType, int deviceType) {
    switch (pageType) {
        case 2:
        case 6: return {0, 1};
        case 3:
        case 8: return {1, -1};
        case 4:
            if (deviceType == kTypeKeyboard || deviceType == kTypeMouse) return {3, -1};
            return {0, 2};
        case 7: return {0, 2};
        case 5: return {2, -1};
        case 9: return {4, -1};
        default: return {0, 0};
    }
}

CZentrelUSBDevice::CZentrelUSBDevice(Clock& clock) : clock_(clock) {}

CZentrelUSBDevice::~CZentrelUSBDevice() {
    // Derived classes stop the threads in their own destructors, before their part is
    // gone; this is the last safety net for the base's own state.
    StopThreads();
}

void CZentrelUSBDevice::StopThreads() {
    StopLightingThread();
    StopReader(false);
    StopReader(true);
}

void CZentrelUSBDevice::SetIdentity(const DeviceIdentity& identity) {
    identity_ = identity;
    role_ = identity.role;
}

size_t CZentrelUSBDevice::LedCount() const {
    std::lock_guard lock(ledMutex_);
    return leds_.size();
}

void CZentrelUSBDevice::SetLedCount(size_t count) {
    {
        std::lock_guard lock(ledMutex_);
        leds_.assign(count, LedColour{});
        published_.assign(count, LedColour{});
    }
    std::lock_guard lock(overlayLock_);
    overlays_.clear();
    overlayState_ = OverlayState{};
}

std::string CZentrelUSBDevice::ProfileFolder() const {
    int result = 0;
    std::string folder = DeviceFolder(folderName_, &result);
    if (result != 0) DebugTrace("cannot create the device folder " + folder);
    return folder;
}

std::string CZentrelUSBDevice::DefaultDataFolder() const { return ::DefaultDataFolder(); }

void CZentrelUSBDevice::LoadLightLibraryFiles() {
    const Json::Value defaults = CJsonFileUtil::ReadJsonFile(DefaultDataFolder() + "default_light.json");
    const Json::Value library = CJsonFileUtil::ReadJsonFile(ProfileFolder() + libraryName_ + ".config");
    LoadLightLibrary(defaults, library, libraryRow_, library_);
}

void CZentrelUSBDevice::SetLightControl(bool on) {
    lightControl_ = on;
    if (on && deviceType_ == kTypeKeyboard) SendEnterLightControl();
}

int CZentrelUSBDevice::SendEnterLightControl() { return EnterLightControl(commandLink_); }

void CZentrelUSBDevice::BuildPage() {
    if (!view_->HasLayout()) {
        keyCount_ = 0;
        SetLedCount(0);
    }
}

void CZentrelUSBDevice::StepBreathing() { ::StepBreathing(preview_, LightState(), leds_); }
void CZentrelUSBDevice::StepBreathingFourColour() { ::StepBreathingFourColour(preview_, LightState(), leds_); }
void CZentrelUSBDevice::StepStatic() { ::StepStatic(LightState(), leds_); }
void CZentrelUSBDevice::StepSpectrum() { ::StepSpectrum(preview_, LightState(), leds_); }
void CZentrelUSBDevice::StepFlash() { ::StepFlash(preview_, LightState(), leds_, passNowMs_); }
void CZentrelUSBDevice::StepFlashFourColour() {
    ::StepFlashFourColour(preview_, LightState(), leds_, passNowMs_);
}
void CZentrelUSBDevice::StepOff() { ::StepOff(leds_); }

void CZentrelUSBDevice::ShowLeds() {
    if (!lightControl_) return;
    view_->ShowLedColours(Frame());
}

void CZentrelUSBDevice::SetLedColour(size_t index, uint32_t argb) {
    std::lock_guard lock(ledMutex_);
    if (index >= leds_.size()) return;
    leds_[index] = {static_cast<uint8_t>(argb >> 16), static_cast<uint8_t>(argb >> 8),
                    static_cast<uint8_t>(argb), static_cast<uint8_t>(argb >> 24)};
}

uint32_t CZentrelUSBDevice::GetLedColour(size_t index) const {
    std::lock_guard lock(ledMutex_);
    if (index >= leds_.size()) return 0;
    const LedColour& c = leds_[index];
    return uint32_t{c.alpha} << 24 | uint32_t{c.red} << 16 | uint32_t{c.green} << 8 | c.blue;
}

uint8_t CZentrelUSBDevice::DecayKeyLevel(size_t key, int variant) {
    if (key >= reactive_.keyLevels.size()) return 0;
    reactive_.keyLevels[key] = ::DecayKeyLevel(reactive_.keyLevels[key], variant);
    return reactive_.keyLevels[key];
}

void CZentrelUSBDevice::MarkWaveKeys() { reactive_.MarkWaveKeys(9); }
void CZentrelUSBDevice::RotateWave(bool forward) { reactive_.RotateWave(forward); }
void CZentrelUSBDevice::ClearReactive() { reactive_.Clear(); }

void CZentrelUSBDevice::ShowFunctionPage(int pageType) {
    pageType_ = pageType;
    const FunctionPageChoice choice = FunctionPageFor(pageType, deviceType_);
    view_->ShowFunctionPage(choice.functionPage, choice.keyTab);
}

void CZentrelUSBDevice::SetLightState(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    auto byte = [](uint32_t v, int i) { return static_cast<uint8_t>(v >> (8 * i)); };
    LightInfo l;
    l.selectItem = byte(a, 0);
    l.light = byte(a, 1);
    l.speed = byte(a, 2);
    l.fx = byte(a, 3);
    l.multiColor = byte(b, 0);
    l.red = byte(b, 1);
    l.green = byte(b, 2);
    l.blue = byte(b, 3);
    l.zzccLedMode = byte(c, 3);
    l.customGroup = byte(d, 0);
    l.oldLedMode = byte(d, 1);
    std::lock_guard lock(lightStateMutex_);
    light_ = l;
    unusedLightBytes_ = {byte(c, 0), byte(c, 1), byte(c, 2)};
}

std::array<uint32_t, 4> CZentrelUSBDevice::GetLightState() const {
    std::lock_guard lock(lightStateMutex_);
    const LightInfo& l = light_;
    auto pack = [](uint32_t b0, uint32_t b1, uint32_t b2, uint32_t b3) {
        return b0 | b1 << 8 | b2 << 16 | b3 << 24;
    };
    return {pack(l.selectItem, l.light, l.speed, l.fx), pack(l.multiColor, l.red, l.green, l.blue),
            pack(unusedLightBytes_[0], unusedLightBytes_[1], unusedLightBytes_[2], l.zzccLedMode),
            pack(l.customGroup, l.oldLedMode, 0, 0)};
}

LightInfo CZentrelUSBDevice::LightState() const {
    std::lock_guard lock(lightStateMutex_);
    return light_;
}

void CZentrelUSBDevice::SetLightInfo(const LightInfo& light) {
    std::lock_guard lock(lightStateMutex_);
    light_ = light;
}

LedFrame CZentrelUSBDevice::Frame() const {
    std::lock_guard lock(ledMutex_);
    return leds_;
}

std::vector<Rgb> CZentrelUSBDevice::DeviceColours() const {
    std::lock_guard lock(ledMutex_);
    std::vector<Rgb> colours;
    colours.reserve(leds_.size());
    for (const LedColour& led : leds_) colours.push_back(DeviceColour(led));
    return colours;
}

void CZentrelUSBDevice::SetOverlayList(const std::vector<LightListItem>& items) {
    std::lock_guard lock(overlayLock_);
    overlays_ = items;
}

std::vector<LightListItem> CZentrelUSBDevice::OverlayList() const {
    std::lock_guard lock(overlayLock_);
    return overlays_;
}

void CZentrelUSBDevice::SetCustomSteps(const std::vector<EffectStep>& steps) {
    std::lock_guard lock(lightDataLock_);
    customSteps_ = steps;
    runner_.Restart();
}

// ---- lighting ----

void CZentrelUSBDevice::RunCustomPass(uint64_t nowMs) {
    std::lock_guard lock(lightDataLock_);
    RunCustomStep(runner_, customSteps_, LightState().speed, leds_, nowMs);
}

void CZentrelUSBDevice::DrawOverlaysLocked(bool reset, uint64_t nowMs) {
    std::lock_guard lock(overlayLock_);
    DrawOverlays(overlayState_, overlays_, leds_, reset, nowMs);
}

void CZentrelUSBDevice::LightingPass(uint64_t nowMs) {
    const uint8_t effect = MirrorEffect();
    if (PlaysTableEffect(effect)) {
        if (++tickCounter_ >= TicksOf(MirrorSpeed())) {
            tickCounter_ = 0;
            switch (effect) {
                case 0: EffectStepA(); break;
                case 1: StepSpectrum(); break;
                case 2: StepBreathing(); break;
                case 3: StepStatic(); break;
                case 4: StepFlash(); break;
                case 6: EffectStepC(); break;
                case 7: EffectStepB(); break;
                default: StepOff(); break;  // 8
            }
        }
    } else {
        RunCustomPass(nowMs);
    }
    if (OverlaysEveryPass()) DrawOverlaysLocked(false, nowMs);
}

uint32_t CZentrelUSBDevice::MainEffectPassesUntilChange(uint64_t nowMs) {
    const uint8_t effect = MirrorEffect();
    if (!PlaysTableEffect(effect)) {
        std::lock_guard lock(lightDataLock_);
        return CustomPassesUntilChange(runner_, customSteps_, LightState().speed, nowMs, kLightTickMs);
    }
    const uint8_t threshold = TicksOf(MirrorSpeed());
    if (effect == 3 || effect == 8) return kMaxIdlePasses;  // the same frame every time
    return tickCounter_ + 1u >= threshold ? 1u : static_cast<uint32_t>(threshold - tickCounter_);
}

uint32_t CZentrelUSBDevice::PassesUntilChange(uint64_t nowMs) {
    std::lock_guard lock(ledMutex_);
    uint32_t passes = std::min(MainEffectPassesUntilChange(nowMs), kMaxIdlePasses);
    if (OverlaysEveryPass()) {
        std::lock_guard overlayLock(overlayLock_);
        if (OverlaysAnimate(overlays_, leds_.size())) passes = std::min(passes, kMaxAnimatedPasses);
    }
    return std::max<uint32_t>(passes, 1);
}

void CZentrelUSBDevice::RunLightingPasses(uint32_t passes, uint64_t nowMs) {
    std::lock_guard lock(ledMutex_);
    for (uint32_t i = 0; i < passes; ++i) {
        passNowMs_ = nowMs - uint64_t{passes - 1 - i} * kLightTickMs;
        LightingPass(passNowMs_);
    }
    PublishFrame();
}

void CZentrelUSBDevice::PublishFrame() {
    if (leds_ == published_) return;  // nothing new to show
    published_ = leds_;
    view_->FrameChanged();
}

void CZentrelUSBDevice::StartLightingThread() {
    lightingThread_.Start([this](StopEvent& stop) { LightingThreadMain(stop); });
}

void CZentrelUSBDevice::StopLightingThread() { lightingThread_.Stop(1000); }

void CZentrelUSBDevice::LightingThreadMain(StopEvent& stop) {
    uint64_t last = clock_.NowMs();
    for (;;) {
        uint64_t waitMs;
        if (!commandLink_.Opened()) {
            waitMs = kClosedWaitMs;
        } else if (commandLink_.LightPause()) {
            waitMs = kPausedWaitMs;
        } else if (!view_->WantsFrames()) {
            waitMs = kUnwatchedWaitMs;
        } else {
            waitMs = std::max(uint64_t{PassesUntilChange(clock_.NowMs())} * kLightTickMs, kMinFrameIntervalMs);
        }
        if (stop.WaitFor(waitMs)) break;
        const uint64_t now = clock_.NowMs();
        if (!commandLink_.Opened() || commandLink_.LightPause()) {
            last = now;
            continue;
        }
        uint64_t passes = (now - last) / kLightTickMs;
        if (passes == 0) continue;
        if (passes > kMaxCatchUpPasses) {
            passes = kMaxCatchUpPasses;
            last = now;
        } else {
            last += passes * kLightTickMs;
        }
        RunLightingPasses(static_cast<uint32_t>(passes), now);
    }
    DebugTrace("MS灯光线程设定退出");
}

// ---- synchronisation readers ----

bool CZentrelUSBDevice::StartReader(bool receiver, const std::string& path) {
    const int r = receiver ? 1 : 0;
    if (!ReopensReaders() && ReaderOpen(receiver)) return true;
    StopReader(receiver);
    HidInterface& hid = receiver ? companionLink_.ReceiverInterface() : companionLink_.WiredInterface();
    {
        std::lock_guard io(companionLink_.IoLock());
        if (!hid.Open(path, true, true, true, false)) return false;
        readerOpen_[r] = true;
    }
    readers_[r].Start([this, receiver](StopEvent& stop) { ReaderThreadMain(stop, receiver); });
    return true;
}

void CZentrelUSBDevice::StopReader(bool receiver) {
    const int r = receiver ? 1 : 0;
    HidInterface& hid = receiver ? companionLink_.ReceiverInterface() : companionLink_.WiredInterface();
    readers_[r].Stop(ReaderStopTimeoutMs(), [&hid] { hid.Close(); });
    std::lock_guard io(companionLink_.IoLock());
    readerOpen_[r] = false;
    hid.Close();
}

bool CZentrelUSBDevice::ReaderOpen(bool receiver) const { return readerOpen_[receiver ? 1 : 0]; }

void CZentrelUSBDevice::ReaderThreadMain(StopEvent& stop, bool receiver) {
    HidInterface& hid = receiver ? companionLink_.ReceiverInterface() : companionLink_.WiredInterface();
    std::vector<uint8_t> report(std::max<size_t>(hid.InputReportByteLength(), 2));
    while (!stop.WaitFor(1)) {
        if (!readerOpen_[receiver ? 1 : 0] || !hid.IsOpen()) {
            if (stop.WaitFor(kClosedWaitMs)) break;
            continue;
        }
        size_t got = 0;
        if (hid.Read(report.data(), report.size(), &got, -1) != 1) {
            // Unplugged or closed: do not spin until the reader is stopped.
            if (stop.WaitFor(kClosedWaitMs)) break;
            continue;
        }
        uint16_t code = 0;
        if (hid.UnpackInputReport(report.data(), got) && !hid.InputDataEntries().empty()) {
            const HidDataEntry& first = hid.InputDataEntries()[0];
            code = first.isButton ? (first.usages.empty() ? 0 : first.usages[0])
                                  : static_cast<uint16_t>(first.rawValue);
        }
        DebugTrace("接收到自动添加设备的同步信息要求  TEST");
        OnCompanionReport(report.data(), got, code, receiver);
    }
    DebugTrace(ReaderExitText());
}

void CZentrelUSBDevice::OnCompanionReport(const uint8_t* report, size_t length, uint16_t code,
                                          bool receiver) {
    (void)report;
    (void)length;
    (void)code;
    (void)receiver;
}
