#include "cli/device_monitor.h"

#include "cli/device_kinds.h"

DeviceMonitor::DeviceMonitor(std::FILE* out)
    : out_(out), session_(static_cast<DeviceListView*>(this), static_cast<DiscoverySink*>(this)) {
    paths_.resize(session_.Interfaces().size());
}

DeviceMonitor::~DeviceMonitor() { Stop(); }

void DeviceMonitor::Start() { session_.Start(); }
void DeviceMonitor::Stop() { session_.Stop(); }

void DeviceMonitor::PrintEntry(char sign, int index, const std::string& path) {
    const DeviceIdentity& e = session_.Interfaces()[static_cast<size_t>(index)];
    std::fprintf(out_, "%c %d %s %s %04x:%04x mi %u col %u %s %s\n", sign, index,
                 KindOfType(e.deviceType), RoleName(e.role), e.vendorId, e.productId,
                 e.interfaceNumber, e.collectionNumber, ConnectionOfType(e.deviceType),
                 path.c_str());
    std::fflush(out_);
}

void DeviceMonitor::PrintSwitch(const CZentrelUSBDevice& device, const char* from, const char* to) {
    std::fprintf(out_, "~ %s %s -> %s\n", KindOfRow(device.Row()), from, to);
    std::fflush(out_);
}

void DeviceMonitor::InterfaceArrived(int index) {
    const auto i = static_cast<size_t>(index);
    paths_[i] = session_.Interfaces()[i].path;
    PrintEntry('+', index, paths_[i]);
}

// The entry is already free: its path is the one it arrived with.
void DeviceMonitor::InterfaceRemoved(int index) {
    PrintEntry('-', index, paths_[static_cast<size_t>(index)]);
    paths_[static_cast<size_t>(index)].clear();
}

// The status timer is armed only when a device has just moved to its receiver.
void DeviceMonitor::ArmTimer(CZentrelUSBDevice& device, int timerId, int ms) {
    (void)ms;
    if (timerId == kTimerWirelessStatus) PrintSwitch(device, "cable", "receiver");
}

void DeviceMonitor::SwitchedToCable(CZentrelUSBDevice& device) {
    PrintSwitch(device, "receiver", "cable");
}
