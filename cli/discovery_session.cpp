#include "cli/discovery_session.h"

#include <cstdio>

#include <algorithm>

#include "cli/device_kinds.h"
#include "devices/device_types.h"
#include "link/supported_devices.h"

DiscoverySession::DiscoverySession(DeviceListView* view, DiscoverySink* listener)
    : listener_(listener),
      discovery_(*this),
      list_(discovery_.InterfaceList()),
      manager_(list_, MakeDeviceObject, view ? *view : quietView_) {}

// The thread reports to the manager: it ends before the manager goes.
DiscoverySession::~DiscoverySession() { discovery_.Stop(); }

bool DiscoverySession::Scan() { return discovery_.RunPass(); }
void DiscoverySession::Start() { discovery_.Start(); }
void DiscoverySession::Stop() { discovery_.Stop(); }
bool DiscoverySession::Running() const { return discovery_.Running(); }

void DiscoverySession::InterfaceArrived(int index) {
    if (listener_) listener_->InterfaceArrived(index);
    manager_.OnInterfaceArrived(index);
}

void DiscoverySession::InterfaceRemoved(int index) {
    if (listener_) listener_->InterfaceRemoved(index);
    manager_.OnInterfaceRemoved(index);
}

void DiscoverySession::FirstPassDone() {
    if (listener_) listener_->FirstPassDone();
    manager_.FirstPassDone();
}

std::vector<SessionDevice> DiscoverySession::Devices() const {
    std::vector<SessionDevice> found;
    for (const auto& object : manager_.Devices()) {
        const DeviceIdentity* cable = nullptr;
        const DeviceIdentity* receiver = nullptr;
        for (size_t i = 0; i < list_.size(); ++i) {
            const DeviceIdentity& e = list_[i];
            if (e.role != kRoleCommand || !e.inUse) continue;
            if (manager_.DeviceOf(static_cast<int>(i)) != object.get()) continue;
            (IsReceiverType(e.deviceType) ? receiver : cable) = &e;
        }
        if (!cable && !receiver) continue;
        const DeviceIdentity& shown = cable ? *cable : *receiver;
        SessionDevice d;
        d.device = object.get();
        d.kind = KindOfRow(object->Row());
        d.connection = cable && receiver ? "both" : cable ? "cable" : "receiver";
        d.vendorId = shown.vendorId;
        d.productId = shown.productId;
        d.commandPath = object->ThroughReceiver() && receiver ? receiver->path : shown.path;
        found.push_back(std::move(d));
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const SessionDevice& a, const SessionDevice& b) {
                         return a.device->Row() < b.device->Row();
                     });
    return found;
}

bool DiscoverySession::ScanOrReport(std::FILE* err) {
    if (Scan()) return true;
    std::fprintf(err, "r730ctl: cannot list HID interfaces (udev unavailable)\n");
    return false;
}
