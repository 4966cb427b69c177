// The devices of one r730ctl run as the application finds them: discovery
// claims the supported interfaces, and a device manager turns them into device
// objects with open command links, one object per mouse or keyboard however it
// is connected.
#pragma once

#include <cstdio>

#include <cstdint>
#include <string>
#include <vector>

#include "devices/device_factory.h"
#include "devices/device_manager.h"
#include "link/discovery.h"

// One device object whose command interface is present.
struct SessionDevice {
    CZentrelUSBDevice* device = nullptr;
    std::string kind;        // "mouse", "keyboard", "mousepad", "headset"
    std::string connection;  // "cable", "receiver", "both"
    uint16_t vendorId = 0;   // of the cable's entry when connected both ways
    uint16_t productId = 0;
    std::string commandPath;  // the command interface the link is on (the cable's when both)
};

class DiscoverySession : private DiscoverySink {
public:
    // `view` hears what the device list is told (null: nothing); `listener`
    // hears each report of discovery before the devices handle it (null: none).
    explicit DiscoverySession(DeviceListView* view = nullptr, DiscoverySink* listener = nullptr);
    ~DiscoverySession() override;
    DiscoverySession(const DiscoverySession&) = delete;
    DiscoverySession& operator=(const DiscoverySession&) = delete;

    // One discovery pass on this thread; false when the interfaces could not be listed.
    bool Scan();
    // Scan, saying on `err` when the interfaces could not be listed.
    bool ScanOrReport(std::FILE* err);
    // The discovery thread: reports arrive on it until Stop.
    void Start();
    void Stop();
    bool Running() const;

    // Not while the thread runs. Devices come in kind order (mouse, keyboard,
    // mouse pad, headset); a device object whose command interfaces are all
    // gone is left out.
    std::vector<SessionDevice> Devices() const;
    // The interface list with its claimed entries (index = interface table row).
    const std::vector<DeviceIdentity>& Interfaces() const { return list_; }

private:
    void InterfaceArrived(int index) override;
    void InterfaceRemoved(int index) override;
    void FirstPassDone() override;

    DeviceListView quietView_;
    DiscoverySink* listener_;
    Discovery discovery_;
    std::vector<DeviceIdentity>& list_;
    DeviceManager manager_;
};
