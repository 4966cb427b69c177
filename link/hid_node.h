// What a HID transport offers underneath HidInterface: the nodes that are
// present (one per USB interface, like a hidraw node) and an opened node that
// moves raw reports. A node carries every top-level collection of its report
// descriptor; HidInterface picks one of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One present node as enumeration sees it.
struct HidNodeInfo {
    std::string node;               // "/dev/hidraw3" or "virtual:7": opens the node again
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;
    std::vector<uint8_t> reportDescriptor;
    // What tells this device apart from a later one on the same node (the HID
    // device's name in sysfs, "0003:320F:226E.0005"); empty for virtual nodes.
    std::string instance;
};

// An opened node. Reports are raw, as hidraw moves them: the first byte is
// the report id when the descriptor uses ids; writes always start with the
// report id (0 when ids are unused). Timeouts are in ms, -1 waits without
// limit. Cancel() may be called from any thread; it makes the pending and
// every later read or write fail at once. The node is released (file closed)
// only when the last owner drops it, so a thread inside Read or Write keeps
// the handle alive.
class HidNode {
public:
    virtual ~HidNode() = default;
    virtual bool Read(uint8_t* buffer, size_t length, size_t* bytesRead, int timeoutMs) = 0;
    virtual bool Write(const uint8_t* buffer, size_t length, size_t* bytesWritten,
                       int timeoutMs) = 0;
    virtual void Cancel() = 0;
    virtual uint16_t VendorId() const = 0;
    virtual uint16_t ProductId() const = 0;
    virtual uint16_t VersionNumber() const = 0;
    virtual const std::vector<uint8_t>& ReportDescriptor() const = 0;
    // True while the node is still present (no unplug seen).
    virtual bool Present() const = 0;
};

// Opens a node by its node string; null when absent or access is refused.
std::shared_ptr<HidNode> OpenHidNode(const std::string& node, bool readAccess, bool writeAccess);

// True while the interface a path names is still there: the same device on
// the same node (a node number given to a new device does not count).
bool HidPathPresent(const std::string& path);

// Lists the nodes of every transport (hidraw first, then virtual ones).
// Returns false when the platform enumeration itself failed.
bool ListHidNodes(std::vector<HidNodeInfo>& nodes);
