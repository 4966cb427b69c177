// The virtual HID transport: an in-process bus of virtual interfaces that
// look, through HidInterface, exactly like hidraw nodes. Each interface has a
// vendor and product id, an interface number, a report descriptor and a
// responder that receives the output reports written to it. The bus moves
// reports as the kernel's hidraw does with a uhid or USB device:
//  - input reports go to a queue of each open handle, 63 reports at most
//    (hidraw's ring of 64 slots keeps one free); newer ones are dropped while
//    a queue is full;
//  - an input report whose id the descriptor declares for no input report, or
//    that is shorter than that report, reaches no handle; a longer one arrives
//    whole;
//  - a write of fewer than 2 bytes or more than 4096 fails;
// Removing an interface makes pending and later reads and writes on its
// handles fail, reports still queued included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/hid_node.h"

inline constexpr const char* kVirtualNodePrefix = "virtual:";
inline constexpr size_t kVirtualQueueLimit = 63;
inline constexpr size_t kVirtualMinWrite = 2;
inline constexpr size_t kVirtualMaxReport = 4096;

struct VirtualHidSpec {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;
    uint16_t interfaceNumber = 0;
    std::vector<uint8_t> reportDescriptor;
};

// What became of one written report.
enum class VirtualWriteResult {
    Accepted,  // the interface took the report
    Failed,    // the write fails at once (the device refused the transfer)
    Stalled,   // the write never completes: it fails at its timeout or on cancel
};

// The device side of a virtual interface. OnOutputReport runs on the writing
// thread, one report at a time per interface; it may call SendInput.
class VirtualHidResponder {
public:
    virtual ~VirtualHidResponder() = default;
    virtual VirtualWriteResult OnOutputReport(uint32_t interfaceId, const uint8_t* report,
                                              size_t length) = 0;
};

struct VirtualHidEvent {
    enum class Kind { Added, Removed } kind;
    uint32_t interfaceId;
    std::string node;  // "virtual:<id>"
};

class VirtualHidBus {
public:
    static VirtualHidBus& Instance();

    // Adds an interface; returns its id (never 0). The responder may be null
    // (the interface then accepts and ignores every report).
    uint32_t Add(const VirtualHidSpec& setup, std::shared_ptr<VirtualHidResponder> responder);
    // Removes an interface: open handles see the unplug. False when unknown.
    bool Remove(uint32_t interfaceId);
    // Queues an input report on every open handle. False when the interface is gone
    // or the report is empty or too long; true, though no handle gets it, for a
    // report the descriptor does not declare or a report too short for it.
    bool SendInput(uint32_t interfaceId, const uint8_t* report, size_t length);
    // Makes opens of an interface fail (as a node without permission does).
    void SetOpenRefused(uint32_t interfaceId, bool refused);
    // True while the interface a node string names is on the bus.
    bool Contains(const std::string& node) const;
    // Number of handles open on an interface (0 when unknown).
    size_t OpenHandleCount(uint32_t interfaceId) const;

    static std::string NodeName(uint32_t interfaceId);
    void List(std::vector<HidNodeInfo>& nodes) const;
    std::shared_ptr<HidNode> Open(const std::string& node, bool readAccess, bool writeAccess);

    // Hot-plug notifications, delivered on the thread that adds or removes.
    using Listener = std::function<void(const VirtualHidEvent&)>;
    int Subscribe(Listener listener);
    void Unsubscribe(int token);

    struct Interface;  // internal

private:
    VirtualHidBus() = default;
    std::shared_ptr<Interface> Find(uint32_t interfaceId) const;
    void Notify(const VirtualHidEvent& event);

    mutable std::mutex mutex_;
    uint32_t nextId_ = 1;
    std::vector<std::shared_ptr<Interface>> interfaces_;
    std::mutex listenerMutex_;
    int nextToken_ = 1;
    std::vector<std::pair<int, Listener>> listeners_;
};
