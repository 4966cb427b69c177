#include "devices/device_manager.h"

#include <chrono>
#include <thread>

#include "devices/device_types.h"
#include "devices/generic_device.h"
#include "link/debug_trace.h"
#include "link/device_commands.h"
#include "link/supported_devices.h"

namespace {

constexpr int kWirelessQueries = 26;
constexpr int kWirelessQueryPauseMs = 50;

bool IsCableType(int type) { return type == kTypeKeyboard || type == kTypeMouse; }

const char* ArrivalText(int type) {
    if (type == kTypeKeyboard || type == kTypeKeyboardReceiver) return "添加一个键盘设备";
    if (type == kTypeMouse || type == kTypeMouseReceiver) return "添加一个鼠标设备";
    return "添加一个鼠标垫设备";
}

const char* RemovalText(int type) {
    if (type == kTypeKeyboard || type == kTypeKeyboardReceiver) return "删除一个键盘设备";
    if (type == kTypeMouse || type == kTypeMouseReceiver) return "删除一个鼠标设备";
    return "删除一个鼠标垫设备";
}

void RealSleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

std::unique_ptr<CZentrelUSBDevice> MakeGenericDevice(int typeRow) {
    return std::make_unique<GenericDevice>(kDeviceTypeTable[static_cast<size_t>(typeRow)].cableType);
}

DeviceManager::DeviceManager(std::vector<DeviceIdentity>& list, DeviceFactory factory,
                             DeviceListView& view, std::function<void(int)> sleep)
    : list_(list), factory_(std::move(factory)), view_(view), sleep_(sleep ? std::move(sleep) : RealSleep) {}

DeviceManager::~DeviceManager() {
    for (auto& device : devices_) device->StopThreads();
}

DeviceIdentity DeviceManager::ResolvedIdentity(int index) const {
    DeviceIdentity e = list_[static_cast<size_t>(index)];
    // A companion interface belongs to the device of the command interface of the
    // same connection.
    if (e.role == kRoleCompanion) {
        for (const DeviceIdentity& c : list_) {
            if (c.role == kRoleCommand && c.vendorId == e.vendorId && c.productId == e.productId &&
                c.deviceType == e.deviceType) {
                e = c;
                break;
            }
        }
    }
    // Through the receiver the device is still the one known by its cable identity.
    if (IsReceiverType(e.deviceType) && e.hasPartner) e = list_[e.partnerIndex];
    e.inUse = 0;
    e.path.clear();
    return e;
}

bool DeviceManager::PartnerConnected(int index) const {
    const DeviceIdentity& e = list_[static_cast<size_t>(index)];
    if (!e.hasPartner || e.partnerIndex >= list_.size()) return false;
    const DeviceIdentity& p = list_[e.partnerIndex];
    return p.partnerIndex == index && p.inUse && !p.path.empty();
}

CZentrelUSBDevice* DeviceManager::FindDevice(const DeviceIdentity& identity) const {
    for (const auto& d : devices_)
        if (d->Identity() == identity) return d.get();
    return nullptr;
}

CZentrelUSBDevice* DeviceManager::DeviceOf(int index) const { return FindDevice(ResolvedIdentity(index)); }

CZentrelUSBDevice* DeviceManager::CreateDevice(const DeviceIdentity& identity) {
    const int row = FindDeviceTypeRow(identity.vendorId, identity.productId, CableTypeOf(identity.deviceType));
    if (row < 0) return nullptr;
    std::unique_ptr<CZentrelUSBDevice> device = factory_(row);
    if (!device) return nullptr;
    const DeviceTypeRow& type = kDeviceTypeTable[static_cast<size_t>(row)];
    const DevicePageRow& page = kDevicePageTable[static_cast<size_t>(row)];
    device->SetRow(row);
    device->SetLedCount(static_cast<size_t>(page.leds));
    device->SetKeyCount(static_cast<size_t>(page.keys));
    device->SetWireless(page.wireless != 0);
    device->SetFolderName(type.name);
    device->SetLibraryName(page.library);
    device->SetLibraryRow(type.libraryRow);
    device->SetIdentity(identity);
    devices_.push_back(std::move(device));
    CZentrelUSBDevice& created = *devices_.back();
    view_.DeviceCreated(created);
    view_.ShowEntry(created, false);  // hidden until its link opens
    return &created;
}

void DeviceManager::OpenLink(CZentrelUSBDevice& device, int index, const DeviceIdentity& identity) {
    const DeviceIdentity& e = list_[static_cast<size_t>(index)];
    const bool receiver = IsReceiverType(e.deviceType);
    DeviceLink& link = device.CommandLink();
    bool opened;
    {
        std::lock_guard io(link.IoLock());
        HidInterface& hid = receiver ? link.ReceiverInterface() : link.WiredInterface();
        opened = hid.Open(e.path, true, true, true, false);
        if (opened) {
            link.SetOpened(true);
            if (receiver) link.SetConnection(kConnectionReceiver);
            if (IsCableType(e.deviceType)) link.SetConnection(kConnectionCable);
            device.SetIdentity(identity);
            device.SetThroughReceiver(receiver);
        }
    }
    if (!opened) return;  // the entry stays in use; the device stays hidden
    view_.ShowEntry(device, true);
    if (!receiver) {
        current_ = &device;
        view_.CurrentChanged(current_);
    }
    view_.ArmTimer(device, kTimerRead, 500);
}

void DeviceManager::OnInterfaceArrived(int index) {
    const DeviceIdentity e = list_[static_cast<size_t>(index)];
    DebugTrace(ArrivalText(e.deviceType));
    const DeviceIdentity identity = ResolvedIdentity(index);
    CZentrelUSBDevice* device = FindDevice(identity);
    if (!device) device = CreateDevice(identity);
    if (device) {
        if (e.role == kRoleCommand) {
            if (PartnerConnected(index)) {
                // Already connected the other way: the cable wins.
                if (IsCableType(e.deviceType)) SwitchConnection(index);
            } else if (!device->CommandLink().Opened()) {
                OpenLink(*device, index, identity);
            }
        } else {
            device->StartReader(IsReceiverType(e.deviceType), e.path);
        }
    }
    view_.RefreshList();
}

void DeviceManager::DeviceLost(CZentrelUSBDevice& device) {
    DeviceLink& link = device.CommandLink();
    link.SetOpened(false);
    link.WiredInterface().Close();  // wakes a transfer waiting on the gone device
    link.ReceiverInterface().Close();
    view_.ShowEntry(device, false);
    if (current_ == &device) {
        current_ = nullptr;
        for (const auto& d : devices_) {
            if (d.get() != &device && d->CommandLink().Opened()) {
                current_ = d.get();
                break;
            }
        }
        view_.CurrentChanged(current_);
    }
}

void DeviceManager::OnInterfaceRemoved(int index) {
    const DeviceIdentity e = list_[static_cast<size_t>(index)];
    DebugTrace(RemovalText(e.deviceType));
    if (e.deviceType == kTypeMouse || e.deviceType == kTypeMouseReceiver) DebugTrace("鼠标设备丢失");
    CZentrelUSBDevice* device = DeviceOf(index);
    if (e.role == kRoleCommand) {
        if (PartnerConnected(index)) {
            if (IsCableType(e.deviceType)) SwitchConnection(index);  // on to the receiver
        } else if (device) {
            DeviceLost(*device);
        }
    } else if (device) {
        device->StopReader(IsReceiverType(e.deviceType));
    }
    view_.RefreshList();
}

void DeviceManager::SwitchConnection(int index) {
    CZentrelUSBDevice* device = DeviceOf(index);
    if (!device) return;
    const DeviceIdentity& e = list_[static_cast<size_t>(index)];
    const DeviceIdentity& partner = list_[e.partnerIndex];
    const bool toCable = device->ThroughReceiver();
    const std::string path = toCable ? e.path : partner.path;
    DeviceLink& link = device->CommandLink();
    bool opened;
    {
        std::lock_guard io(link.IoLock());
        link.SetOpened(false);
        HidInterface& hid = toCable ? link.WiredInterface() : link.ReceiverInterface();
        hid.Close();
        opened = hid.Open(path, true, true, true, false);
        if (opened) {
            link.SetOpened(true);
            device->SetThroughReceiver(!toCable);
        }
    }
    if (!opened) {  // the link stays closed: the device is not reachable either way
        view_.ShowEntry(*device, false);
        return;
    }
    if (!toCable) {
        link.SetConnection(kConnectionReceiver);
        if (device->Wireless()) {
            for (int n = 0; n < kWirelessQueries; ++n) {
                if (QueryWireless(link)) break;
                sleep_(kWirelessQueryPauseMs);
                if (n < kWirelessQueries - 1) DebugTrace("获取2.4G模式失败");
            }
            DebugTrace("获取2");
            device->ReadStatusBlock();
        }
        view_.ArmTimer(*device, kTimerWirelessStatus, 2000);
    } else {
        link.SetConnection(kConnectionCable);
        view_.ArmTimer(*device, kTimerRead, 500);
        view_.SwitchedToCable(*device);
        if (device->Wireless()) device->ReadStatusBlock();
    }
}
