// A virtual interface for link tests whose device side follows a script: each
// written report is recorded and answered by a handler that decides what the
// write does and which input reports follow it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/virtual_hid.h"

using Bytes = std::vector<uint8_t>;

// Two top-level collections on one node, as the devices have them: a consumer
// collection (report id 3, 16-bit array) and the vendor command collection
// (page 0xFF1C, usage 0x92, report id 4, 64-byte input and output reports).
const Bytes& CommandNodeDescriptor();

struct ScriptedAnswer {
    VirtualWriteResult write = VirtualWriteResult::Accepted;
    std::vector<Bytes> inputs;  // sent after the write was taken
};

class ScriptedResponder : public VirtualHidResponder {
public:
    using Handler = std::function<ScriptedAnswer(const Bytes& request, size_t index)>;
    explicit ScriptedResponder(Handler handler) : handler_(std::move(handler)) {}

    VirtualWriteResult OnOutputReport(uint32_t id, const uint8_t* report, size_t length) override;
    std::vector<Bytes> Received() const;

private:
    Handler handler_;
    mutable std::mutex mutex_;
    std::vector<Bytes> received_;
};

// Adds a node with CommandNodeDescriptor() on the virtual bus and removes it at
// the end of the test.
class ScriptedNode {
public:
    explicit ScriptedNode(ScriptedResponder::Handler handler, uint16_t vendor = 0x320F,
                          uint16_t product = 0x226E, uint16_t interfaceNumber = 1);
    ~ScriptedNode();
    ScriptedNode(const ScriptedNode&) = delete;
    ScriptedNode& operator=(const ScriptedNode&) = delete;

    std::string CommandPath() const;   // collection 2
    std::string ConsumerPath() const;  // collection 1
    uint32_t Id() const { return id_; }
    void Unplug();
    std::vector<Bytes> Received() const { return responder_->Received(); }

private:
    std::shared_ptr<ScriptedResponder> responder_;
    uint32_t id_ = 0;
    uint16_t vendor_, product_, interfaceNumber_;
    bool plugged_ = true;
};

// An answer that echoes the request's command byte with the given status and payload.
Bytes ReplyTo(const Bytes& request, uint8_t status = 0, const Bytes& payload = {});
Bytes ReplyWithCommand(uint8_t command);
