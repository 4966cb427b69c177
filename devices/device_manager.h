// The main window's handling of interface arrivals and removals, toolkit-free:
// creates the device objects, opens and closes their links, switches a mouse
// or keyboard between its cable and its receiver, hands companion interfaces
// to the synchronisation readers, and tells the device list what to show.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "devices/zentrel_usb_device.h"
#include "link/discovery.h"

// What the device list of the main window is asked to do.
class DeviceListView {
public:
    virtual ~DeviceListView() = default;
    virtual void DeviceCreated(CZentrelUSBDevice& device) { (void)device; }
    virtual void ShowEntry(CZentrelUSBDevice& device, bool visible) {
        (void)device;
        (void)visible;
    }
    virtual void CurrentChanged(CZentrelUSBDevice* device) { (void)device; }
    virtual void ArmTimer(CZentrelUSBDevice& device, int timerId, int ms) {
        (void)device;
        (void)timerId;
        (void)ms;
    }
    // The device moved to its cable (message 3331).
    virtual void SwitchedToCable(CZentrelUSBDevice& device) { (void)device; }
    virtual void RefreshList() {}
};

// Makes the device object of a device-type row (0 mouse, 1 keyboard, 2 mouse pad, 3 headset).
using DeviceFactory = std::function<std::unique_ptr<CZentrelUSBDevice>(int typeRow)>;
// Device objects of the device base for every kind (until a kind has its own class).
std::unique_ptr<CZentrelUSBDevice> MakeGenericDevice(int typeRow);

inline constexpr int kTimerRead = 1001;       // read the device after it opened
inline constexpr int kTimerWirelessStatus = 1007;

class DeviceManager : public DiscoverySink {
public:
    // `list` is the discovery's interface list.
    DeviceManager(std::vector<DeviceIdentity>& list, DeviceFactory factory, DeviceListView& view,
                  std::function<void(int ms)> sleep = nullptr);
    ~DeviceManager() override;

    void InterfaceArrived(int index) override { OnInterfaceArrived(index); }
    void InterfaceRemoved(int index) override { OnInterfaceRemoved(index); }
    void FirstPassDone() override { firstPassDone_ = true; }

    void OnInterfaceArrived(int index);
    void OnInterfaceRemoved(int index);
    void SwitchConnection(int index);

    const std::vector<std::unique_ptr<CZentrelUSBDevice>>& Devices() const { return devices_; }
    CZentrelUSBDevice* Current() const { return current_; }
    bool FirstPassSeen() const { return firstPassDone_; }
    // The device of an entry (its own or its cable partner's identity); null when none.
    CZentrelUSBDevice* DeviceOf(int index) const;

private:
    DeviceIdentity ResolvedIdentity(int index) const;
    bool PartnerConnected(int index) const;
    CZentrelUSBDevice* FindDevice(const DeviceIdentity& identity) const;
    CZentrelUSBDevice* CreateDevice(const DeviceIdentity& identity);
    void OpenLink(CZentrelUSBDevice& device, int index, const DeviceIdentity& identity);
    void DeviceLost(CZentrelUSBDevice& device);

    std::vector<DeviceIdentity>& list_;
    DeviceFactory factory_;
    DeviceListView& view_;
    std::function<void(int)> sleep_;
    std::vector<std::unique_ptr<CZentrelUSBDevice>> devices_;
    CZentrelUSBDevice* current_ = nullptr;
    bool firstPassDone_ = false;
};
