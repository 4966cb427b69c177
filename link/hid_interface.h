// One HID interface (one top-level collection of one node): enumeration of
// the interfaces present, open and close, timed and cancellable reads and
// writes, identity, report lengths and the decoding of input reports into
// data entries.
//
// Not internally locked for I/O: users serialise their reads and writes. The
// one cross-thread operation is Close (or a reopen), which makes a Read or
// Write waiting in another thread return failure at once; the node underneath
// stays alive until that thread has left it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/hid_node.h"
#include "link/report_descriptor.h"

// One decoded item of a report type: a button capability (with its usage list)
// or one usage of a value capability.
struct HidDataEntry {
    bool isButton = false;
    uint16_t usagePage = 0;
    uint32_t status = 0;
    uint8_t reportId = 0;
    bool isSet = false;
    // buttons
    uint16_t usageMin = 0;
    uint16_t usageMax = 0;
    uint32_t maxUsageListLength = 0;
    std::vector<uint16_t> usages;  // maxUsageListLength entries
    // values
    uint16_t usage = 0;
    uint32_t rawValue = 0;
    int32_t scaledValue = 0;
};

// Report buffer, capabilities and data entries of one report type.
struct HidReportPart {
    std::vector<uint8_t> buffer;  // report byte length, zeroed
    std::vector<HidButtonCaps> buttonCaps;
    std::vector<HidValueCaps> valueCaps;
    std::vector<HidDataEntry> entries;
};

class HidInterface {
public:
    HidInterface() = default;
    ~HidInterface();
    HidInterface(const HidInterface&) = delete;
    HidInterface& operator=(const HidInterface&) = delete;

    // Lists the interface paths present now and resets the cursor. An empty
    // list is success; false only when the platform enumeration failed.
    bool Enumerate();
    // The next path of the list, or null when the list is exhausted or absent.
    const char* NextPath();
    void FreePaths();
    size_t PathCount() const { return paths_.size(); }

    bool Open(const std::string& path, bool readAccess, bool writeAccess, bool overlapped,
              bool exclusive);
    void Close();
    bool IsOpen() const;

    // Timed transfers; timeoutMs -1 waits without limit. 1 success, 0 failure.
    // A read delivers only reports of this interface's collection, with the
    // report id first (0 when the descriptor uses no ids), as on Windows.
    int Read(uint8_t* buffer, size_t length, size_t* bytesOut, int timeoutMs);
    int Write(const uint8_t* buffer, size_t length, size_t* bytesOut, int timeoutMs);

    // Decodes an input report into the input data entries.
    bool UnpackInputReport(const uint8_t* report, size_t length);

    const std::string& Path() const { return path_; }
    uint16_t VendorId() const { return vendorId_; }
    uint16_t ProductId() const { return productId_; }
    uint16_t VersionNumber() const { return versionNumber_; }
    uint16_t UsagePage() const { return collection_.usagePage; }
    uint16_t Usage() const { return collection_.usage; }
    uint16_t InputReportByteLength() const { return LengthOf(HidReportType::Input); }
    uint16_t OutputReportByteLength() const { return LengthOf(HidReportType::Output); }
    uint16_t FeatureReportByteLength() const { return LengthOf(HidReportType::Feature); }
    uint16_t InterfaceNumber() const { return interfaceNumber_; }
    uint16_t CollectionNumber() const { return collectionNumber_; }
    const std::vector<uint8_t>& InputReportBuffer() const { return Part(HidReportType::Input).buffer; }
    const std::vector<HidDataEntry>& InputDataEntries() const {
        return Part(HidReportType::Input).entries;
    }
    const HidReportPart& Part(HidReportType type) const {
        return parts_[static_cast<int>(type)];
    }
    // The node still sees its device (false after an unplug was noticed).
    bool Present() const;

    bool ReadAccess() const { return readAccess_; }
    bool WriteAccess() const { return writeAccess_; }

private:
    uint16_t LengthOf(HidReportType type) const {
        return collection_.reportByteLength[static_cast<int>(type)];
    }
    std::shared_ptr<HidNode> CurrentNode() const;
    bool ReadInterfaceInformation(const HidNode& node);
    void FreeInterfaceInformation();

    std::vector<std::string> paths_;
    size_t cursor_ = 0;
    bool pathsListed_ = false;

    bool readAccess_ = false, writeAccess_ = false, overlapped_ = false, exclusive_ = false;

    mutable std::mutex nodeMutex_;  // guards node_ against a Close from another thread
    std::shared_ptr<HidNode> node_;

    std::string path_;
    uint16_t vendorId_ = 0, productId_ = 0, versionNumber_ = 0;
    uint16_t interfaceNumber_ = 0, collectionNumber_ = 0;
    HidTopCollection collection_;
    HidReportPart parts_[kHidReportTypeCount];
};
