#include "tests/link/scripted_interface.h"

#include <algorithm>

#include "link/hid_path.h"

const Bytes& CommandNodeDescriptor() {
    static const Bytes descriptor = {
        // Consumer control, report id 3: one 16-bit usage.
        0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x15, 0x00, 0x26, 0xFF, 0x03, 0x19,
        0x00, 0x2A, 0xFF, 0x03, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0,
        // Vendor command collection, report id 4: 63 data bytes each way.
        0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x09, 0x01, 0x15, 0x00, 0x26,
        0xFF, 0x00, 0x75, 0x08, 0x95, 0x3F, 0x81, 0x02, 0x09, 0x01, 0x95, 0x3F, 0x91, 0x02,
        0xC0};
    return descriptor;
}

VirtualWriteResult ScriptedResponder::OnOutputReport(uint32_t id, const uint8_t* report,
                                                     size_t length) {
    Bytes request(report, report + length);
    size_t index;
    {
        std::lock_guard lock(mutex_);
        index = received_.size();
        received_.push_back(request);
    }
    ScriptedAnswer answer = handler_(request, index);
    if (answer.write == VirtualWriteResult::Accepted) {
        for (const Bytes& input : answer.inputs)
            VirtualHidBus::Instance().SendInput(id, input.data(), input.size());
    }
    return answer.write;
}

std::vector<Bytes> ScriptedResponder::Received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

ScriptedNode::ScriptedNode(ScriptedResponder::Handler handler, uint16_t vendor, uint16_t product,
                           uint16_t interfaceNumber)
    : responder_(std::make_shared<ScriptedResponder>(std::move(handler))),
      vendor_(vendor), product_(product), interfaceNumber_(interfaceNumber) {
    VirtualHidSpec setup;
    setup.vendorId = vendor;
    setup.productId = product;
    setup.versionNumber = 0x0126;
    setup.interfaceNumber = interfaceNumber;
    setup.reportDescriptor = CommandNodeDescriptor();
    id_ = VirtualHidBus::Instance().Add(setup, responder_);
}

ScriptedNode::~ScriptedNode() { Unplug(); }

void ScriptedNode::Unplug() {
    if (plugged_) VirtualHidBus::Instance().Remove(id_);
    plugged_ = false;
}

std::string ScriptedNode::CommandPath() const {
    return MakeHidPath(VirtualHidBus::NodeName(id_), vendor_, product_, interfaceNumber_, 2);
}

std::string ScriptedNode::ConsumerPath() const {
    return MakeHidPath(VirtualHidBus::NodeName(id_), vendor_, product_, interfaceNumber_, 1);
}

Bytes ReplyTo(const Bytes& request, uint8_t status, const Bytes& payload) {
    Bytes reply(64, 0);
    reply[0] = 4;
    reply[3] = request.size() > 3 ? request[3] : 0;
    reply[7] = status;
    std::copy_n(payload.begin(), std::min<size_t>(payload.size(), 56), reply.begin() + 8);
    return reply;
}

Bytes ReplyWithCommand(uint8_t command) {
    Bytes reply(64, 0);
    reply[0] = 4;
    reply[3] = command;
    return reply;
}
