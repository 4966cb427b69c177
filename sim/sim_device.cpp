#include "sim/sim_device.h"

#include "link/hid_path.h"
#include "sim/sim_descriptors.h"

uint16_t SimVendorId(SimKind kind) { return kind == SimKind::Headset ? kSimHeadsetVendor : kSimVendor; }

uint16_t SimCableProductId(SimKind kind) {
    switch (kind) {
        case SimKind::Mouse: return 0x226E;
        case SimKind::Keyboard: return 0x0000;
        case SimKind::MousePad: return 0x1004;
        case SimKind::Headset: return 0x1630;
    }
    return 0;
}

uint16_t SimReceiverProductId(SimKind kind) { return kind == SimKind::Mouse ? 0x226F : 0x0000; }

bool SimHasReceiver(SimKind kind) { return kind == SimKind::Mouse || kind == SimKind::Keyboard; }

SimConnection::SimConnection(SimKind kind, uint16_t vendor, uint16_t product,
                             std::shared_ptr<SimCommandPort> port)
    : kind_(kind), vendor_(vendor), product_(product), port_(std::move(port)) {}

SimConnection::~SimConnection() {
    port_->Detach();
    Unplug();
}

bool SimConnection::Plug(uint16_t version) {
    std::lock_guard lock(mutex_);
    if (commandId_ != 0) return true;
    VirtualHidBus& bus = VirtualHidBus::Instance();
    VirtualHidSpec command{vendor_, product_, version, SimCommandInterface(kind_),
                           SimCommandNodeDescriptor(kind_)};
    commandId_ = bus.Add(command, port_);
    if (kind_ != SimKind::Headset) {
        VirtualHidSpec companion{vendor_, product_, version, 0, SimCompanionNodeDescriptor(kind_)};
        companionId_ = bus.Add(companion, nullptr);
    }
    return true;
}

void SimConnection::Unplug() {
    std::lock_guard lock(mutex_);
    VirtualHidBus& bus = VirtualHidBus::Instance();
    if (commandId_ != 0) bus.Remove(commandId_);
    if (companionId_ != 0) bus.Remove(companionId_);
    commandId_ = companionId_ = 0;
}

bool SimConnection::Plugged() const {
    std::lock_guard lock(mutex_);
    return commandId_ != 0;
}

uint32_t SimConnection::CommandId() const {
    std::lock_guard lock(mutex_);
    return commandId_;
}

uint32_t SimConnection::CompanionId() const {
    std::lock_guard lock(mutex_);
    return companionId_;
}

std::string SimConnection::CommandPath() const {
    const uint32_t id = CommandId();
    if (id == 0) return {};
    return MakeHidPath(VirtualHidBus::NodeName(id), vendor_, product_, SimCommandInterface(kind_),
                       SimCommandCollection(kind_));
}

std::string SimConnection::CompanionPath() const {
    const uint32_t id = CompanionId();
    if (id == 0) return {};
    return MakeHidPath(VirtualHidBus::NodeName(id), vendor_, product_, 0, SimCompanionCollection(kind_));
}

bool SimConnection::SendCompanionEvent(uint16_t code) {
    const uint32_t id = CompanionId();
    if (id == 0) return false;
    const uint8_t report[3] = {kSimCompanionReportId, static_cast<uint8_t>(code & 0xFF),
                               static_cast<uint8_t>(code >> 8)};
    return VirtualHidBus::Instance().SendInput(id, report, sizeof report);
}

SimulatedDevice::SimulatedDevice(SimKind kind, const SimOptions& options)
    : kind_(kind), firmware_(std::make_shared<SimFirmware>(kind, options)) {
    std::shared_ptr<SimFirmware> fw = firmware_;
    auto port = std::make_shared<SimCommandPort>(
        [fw](const uint8_t* frame, size_t length) { return fw->Handle(frame, length); },
        [fw](const uint8_t* report, size_t length) { return fw->TakeLightReport(report, length); });
    cable_ = std::make_unique<SimConnection>(kind, SimVendorId(kind), SimCableProductId(kind), port);
    port->SetUnplugHandler([this] { cable_->Unplug(); });
}

SimulatedDevice::~SimulatedDevice() { cable_.reset(); }

bool SimulatedDevice::PlugCable() { return cable_->Plug(firmware_->Memory().firmwareVersion); }

void SimulatedDevice::UnplugCable() { cable_->Unplug(); }

bool SimulatedDevice::SendEvent(uint16_t code, SimulatedReceiver* receiver) {
    if (cable_->Plugged()) return cable_->SendCompanionEvent(code);
    if (receiver && receiver->Plugged() && *radioReachable_)
        return receiver->Connection().SendCompanionEvent(code);
    return false;
}

uint16_t SimulatedDevice::PressProfileButton(SimulatedReceiver* receiver) {
    const uint16_t code = firmware_->PressProfileButton();
    SendEvent(code, receiver);
    return code;
}

SimulatedReceiver::SimulatedReceiver(SimulatedDevice& device) : device_(device) {
    std::shared_ptr<SimFirmware> fw = device.FirmwarePtr();
    std::shared_ptr<std::atomic<bool>> reachable = device.RadioFlag();
    auto port = std::make_shared<SimCommandPort>([fw, reachable](const uint8_t* frame, size_t length) {
        SimFrame reply{};
        reply[0] = 4;
        std::copy_n(frame + 3, 4, reply.begin() + 3);
        if (frame[3] == 0xAA) {  // the receiver's own question: is the device there?
            reply[8] = *reachable ? 0xFF : 0x00;
            return reply;
        }
        if (!*reachable) {
            reply[3] = 0xAA;
            return reply;
        }
        return fw->Handle(frame, length);
    });
    const SimKind kind = device.Kind();
    connection_ = std::make_unique<SimConnection>(kind, SimVendorId(kind), SimReceiverProductId(kind), port);
    port->SetUnplugHandler([this] { connection_->Unplug(); });
}

SimulatedReceiver::~SimulatedReceiver() { connection_.reset(); }

bool SimulatedReceiver::Plug() { return connection_->Plug(0x0100); }

void SimulatedReceiver::Unplug() { connection_->Unplug(); }
