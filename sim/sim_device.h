// One simulated device with its cable interfaces, and the 2.4 GHz receiver
// through which a mouse or keyboard can also be reached. Plugging adds the
// interfaces to the virtual bus (enumeration and hot-plug listeners see them
// like hidraw nodes); unplugging removes them.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "sim/sim_faults.h"
#include "sim/sim_firmware.h"
#include "sim/sim_port.h"

inline constexpr uint16_t kSimVendor = 0x320F;
inline constexpr uint16_t kSimHeadsetVendor = 0x0C76;

uint16_t SimCableProductId(SimKind kind);     // 0x226E, 0x0000, 0x1004, 0x1630
uint16_t SimReceiverProductId(SimKind kind);  // 0x226F for the mouse, 0x0000 for the keyboard
uint16_t SimVendorId(SimKind kind);
bool SimHasReceiver(SimKind kind);

// The interfaces of one USB connection (the device's cable, or a receiver).
class SimConnection {
public:
    SimConnection(SimKind kind, uint16_t vendor, uint16_t product, std::shared_ptr<SimCommandPort> port);
    ~SimConnection();
    SimConnection(const SimConnection&) = delete;
    SimConnection& operator=(const SimConnection&) = delete;

    bool Plug(uint16_t version);
    void Unplug();
    bool Plugged() const;
    uint32_t CommandId() const;    // 0 while unplugged
    uint32_t CompanionId() const;  // 0 while unplugged or without a companion interface
    SimCommandPort& Port() { return *port_; }
    uint16_t VendorId() const { return vendor_; }
    uint16_t ProductId() const { return product_; }
    // The interface paths of the command and companion collections (empty while unplugged).
    std::string CommandPath() const;
    std::string CompanionPath() const;
    bool SendCompanionEvent(uint16_t code);

private:
    const SimKind kind_;
    const uint16_t vendor_, product_;
    const std::shared_ptr<SimCommandPort> port_;
    mutable std::mutex mutex_;
    uint32_t commandId_ = 0;
    uint32_t companionId_ = 0;
};

class SimulatedDevice {
public:
    SimulatedDevice(SimKind kind, const SimOptions& options);
    ~SimulatedDevice();
    SimulatedDevice(const SimulatedDevice&) = delete;
    SimulatedDevice& operator=(const SimulatedDevice&) = delete;

    SimKind Kind() const { return kind_; }
    SimFirmware& Firmware() { return *firmware_; }
    const std::shared_ptr<SimFirmware>& FirmwarePtr() const { return firmware_; }
    SimConnection& Cable() { return *cable_; }

    bool PlugCable();
    void UnplugCable();
    // Switched on and in range of its receiver.
    void SetRadioReachable(bool reachable) { *radioReachable_ = reachable; }
    bool RadioReachable() const { return *radioReachable_; }
    // Shared with the receiver, which may outlive a write in flight.
    const std::shared_ptr<std::atomic<bool>>& RadioFlag() const { return radioReachable_; }

    void SetCableFaults(const SimFaults& faults) { cable_->Port().SetFaults(faults); }
    void SetRealisticTiming(bool on) { cable_->Port().SetRealisticTiming(on); }

    // Sends a companion event through the cable, else through `receiver` when
    // given, plugged and in range. False when no path carries it.
    bool SendEvent(uint16_t code, class SimulatedReceiver* receiver = nullptr);
    // The profile button: changes the active profile and reports it.
    uint16_t PressProfileButton(class SimulatedReceiver* receiver = nullptr);

private:
    const SimKind kind_;
    const std::shared_ptr<SimFirmware> firmware_;
    const std::shared_ptr<std::atomic<bool>> radioReachable_ = std::make_shared<std::atomic<bool>>(true);
    std::unique_ptr<SimConnection> cable_;
};

// The receiver answers for its device while the device is reachable by radio;
// otherwise byte 3 of its reply is 0xAA. Command 170 is answered by the
// receiver itself: 0xFF in byte 8 while the device is reachable.
class SimulatedReceiver {
public:
    explicit SimulatedReceiver(SimulatedDevice& device);
    ~SimulatedReceiver();
    SimulatedReceiver(const SimulatedReceiver&) = delete;
    SimulatedReceiver& operator=(const SimulatedReceiver&) = delete;

    bool Plug();
    void Unplug();
    bool Plugged() const { return connection_->Plugged(); }
    SimConnection& Connection() { return *connection_; }
    SimulatedDevice& Device() { return device_; }
    void SetFaults(const SimFaults& faults) { connection_->Port().SetFaults(faults); }
    void SetRealisticTiming(bool on) { connection_->Port().SetRealisticTiming(on); }

private:
    SimulatedDevice& device_;
    std::unique_ptr<SimConnection> connection_;
};
