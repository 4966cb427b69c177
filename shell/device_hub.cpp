#include "shell/device_hub.h"

#include "devices/device_factory.h"
#include "devices/profile_apply.h"
#include "devices/zentrel_mouse_device.h"
#include "link/debug_trace.h"
#include "link/supported_devices.h"

// A device's page and main-window messages as the device sees them: every call
// may come from the device thread, the lighting thread or a reader thread, so
// each one only queues a signal.
class HubDeviceView final : public DeviceView, public DeviceEvents {
public:
    HubDeviceView(DeviceHub& hub, CZentrelUSBDevice& device) : hub_(hub), device_(device) {}

    bool HasLayout() const override { return true; }
    void SettingsChanged() override { hub_.RequestMouseState(&device_); }
    void FrameChanged() override {
        // One queued repaint at a time: the page reads the newest frame when it runs.
        if (!framePending_.exchange(true)) emit hub_.frameReady(&device_);
    }
    bool WantsFrames() const override { return visible_; }
    void ShowStatus(const uint8_t* record, size_t length) override {
        emit hub_.statusRecord(&device_, QByteArray(reinterpret_cast<const char*>(record),
                                                    static_cast<qsizetype>(length)));
    }
    void ArmEntryTimer(int timerId, int ms) override { emit hub_.armTimer(&device_, timerId, ms); }
    void PostMessage(int message, long wParam, long lParam) override {
        emit hub_.deviceMessage(&device_, message, wParam, lParam);
    }

    void FrameShown() { framePending_ = false; }
    void SetVisible(bool on) { visible_ = on; }

private:
    DeviceHub& hub_;
    CZentrelUSBDevice& device_;
    std::atomic<bool> framePending_{false};
    std::atomic<bool> visible_{false};
};

DeviceHub::DeviceHub(QObject* parent)
    : QObject(parent), discovery_(*this), manager_(discovery_.InterfaceList(), MakeDeviceObject, *this) {
    qRegisterMetaType<CZentrelUSBDevice*>("CZentrelUSBDevice*");
    qRegisterMetaType<MousePageState>("MousePageState");
}

DeviceHub::~DeviceHub() { Stop(); }

void DeviceHub::Start() { discovery_.Start(); }

void DeviceHub::Stop() {
    if (stopped_) return;
    stopped_ = true;
    // Discovery hands its reports to the device thread and waits: it ends first.
    discovery_.Stop();
    queue_.RunAndWait([this] {
        for (const auto& device : manager_.Devices()) {
            device->StopThreads();
            device->SetView(nullptr);
            device->SetEvents(nullptr);
        }
    });
    queue_.Stop();
}

void DeviceHub::InterfaceArrived(int index) {
    queue_.RunAndWait([this, index] { manager_.OnInterfaceArrived(index); });
}

void DeviceHub::InterfaceRemoved(int index) {
    queue_.RunAndWait([this, index] { manager_.OnInterfaceRemoved(index); });
}

void DeviceHub::FirstPassDone() {
    queue_.RunAndWait([this] { manager_.FirstPassDone(); });
    firstPass_ = true;
    emit firstPassDone();
}

void DeviceHub::DeviceCreated(CZentrelUSBDevice& device) {
    auto view = std::make_unique<HubDeviceView>(*this, device);
    device.SetView(view.get());
    device.SetEvents(view.get());
    {
        std::lock_guard lock(viewsMutex_);
        views_[&device] = std::move(view);
    }
    PrepareDevice(device);
    emit deviceCreated(&device);
}

// What the main window does with a new device object before its link opens:
// its libraries, its profile paths and the selected profile.
void DeviceHub::PrepareDevice(CZentrelUSBDevice& device) {
    device.BuildPage();
    device.BuildOwnPage();
    if (auto* mouse = dynamic_cast<CZentrelMouseDevice*>(&device)) TakeSelectedProfile(*mouse);
    device.SetProfilePaths();
    device.LoadLibraries();
    device.LoadSelectedProfile();
}

void DeviceHub::ShowEntry(CZentrelUSBDevice& device, bool visible) {
    entryVisible_[&device] = visible;
    emit entryShown(&device, visible);
}

void DeviceHub::CurrentChanged(CZentrelUSBDevice* device) { emit currentChanged(device); }

void DeviceHub::ArmTimer(CZentrelUSBDevice& device, int timerId, int ms) {
    emit armTimer(&device, timerId, ms);
}

void DeviceHub::SwitchedToCable(CZentrelUSBDevice& device) { emit switchedToCable(&device); }

void DeviceHub::RequestMouseState(CZentrelUSBDevice* device) {
    queue_.Post([this, device] {
        if (auto* mouse = dynamic_cast<CZentrelMouseDevice*>(device))
            emit mouseState(device, TakeMousePageState(*mouse));
    });
}

void DeviceHub::FrameShown(CZentrelUSBDevice* device) {
    std::lock_guard lock(viewsMutex_);
    auto it = views_.find(device);
    if (it != views_.end()) it->second->FrameShown();
}

void DeviceHub::SetPageVisible(CZentrelUSBDevice* device, bool visible) {
    queue_.Post([this, device, visible] {
        std::lock_guard lock(viewsMutex_);
        auto it = views_.find(device);
        if (it == views_.end()) return;
        it->second->SetVisible(visible);
        it->second->FrameShown();
        if (visible) it->second->FrameChanged();
    });
}

// For a device reached through its receiver: whether it answers decides
// whether its entry is shown.
void DeviceHub::WirelessCheck(CZentrelUSBDevice& device, int timerId) {
    const bool answers = device.IsReachable() == 1;
    const bool visible = entryVisible_[&device];
    if (answers && !visible) {
        ShowEntry(device, true);
        if (device.Wireless()) device.ReadStatusBlock();
    } else if (!answers && visible) {
        ShowEntry(device, false);
    }
    if (device.ThroughReceiver() && device.CommandLink().Opened())
        emit armTimer(&device, timerId, 3000);
}

void DeviceHub::RunEntryTimer(CZentrelUSBDevice* device, int timerId) {
    queue_.Post([this, device, timerId] {
        auto it = views_.find(device);
        if (it == views_.end()) return;
        DeviceLink& link = device->CommandLink();
        switch (timerId) {
            case kTimerRead: {
                if (!link.Opened()) return;
                if (device->ThroughReceiver()) {
                    if (device->IsReachable() != 1) {
                        if (entryVisible_[device]) ShowEntry(*device, false);
                        emit armTimer(device, kTimerRead, 5000);
                        return;
                    }
                    if (!entryVisible_[device]) ShowEntry(*device, true);
                }
                device->ReadAll();  // shows its settings on the page when read
                if (device->ThroughReceiver()) emit armTimer(device, kTimerWirelessStatus, 2000);
                if (device->Wireless()) emit armTimer(device, kTimerPowerStatus, 50);
                return;
            }
            case kTimerSync:
                if (link.Opened()) device->ReadActiveProfile();  // shows what it read
                return;
            case kTimerPowerStatus:
                if (!link.Opened() || !device->Wireless()) return;
                device->ReadStatusBlock();
                emit armTimer(device, kTimerPowerStatus, 10000);
                return;
            case kTimerWirelessStatus:
                if (link.Opened() && device->ThroughReceiver()) WirelessCheck(*device, timerId);
                return;
            default:
                return;
        }
    });
}
