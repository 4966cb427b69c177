#include "link/hid_interface.h"

#include <algorithm>
#include <chrono>

#include "link/hid_path.h"

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(left);
}

std::vector<HidDataEntry> BuildEntries(const HidTopCollection& collection, HidReportType type) {
    const int t = static_cast<int>(type);
    std::vector<HidDataEntry> entries;
    for (const HidButtonCaps& cap : collection.buttonCaps[t]) {
        HidDataEntry e;
        e.isButton = true;
        e.usagePage = cap.usagePage;
        e.reportId = cap.reportId;
        e.usageMin = cap.usageMin;
        e.usageMax = cap.usageMax;
        e.maxUsageListLength = HidMaxUsageListLength(collection, type, cap.usagePage);
        e.usages.assign(e.maxUsageListLength, 0);
        entries.push_back(std::move(e));
    }
    for (const HidValueCaps& cap : collection.valueCaps[t]) {
        for (uint32_t usage = cap.usageMin; usage <= cap.usageMax; ++usage) {
            HidDataEntry e;
            e.usagePage = cap.usagePage;
            e.reportId = cap.reportId;
            e.usage = static_cast<uint16_t>(usage);
            e.status = HIDP_STATUS_SUCCESS;
            entries.push_back(std::move(e));
        }
    }
    return entries;
}

}  // namespace

HidInterface::~HidInterface() { Close(); }

bool HidInterface::Enumerate() {
    FreePaths();
    std::vector<HidNodeInfo> nodes;
    if (!ListHidNodes(nodes)) return false;
    for (const HidNodeInfo& info : nodes) {
        HidReportDescriptor descriptor;
        if (ParseReportDescriptor(info.reportDescriptor.data(), info.reportDescriptor.size(),
                                  descriptor) != kHidParseOk)
            continue;  // a node we cannot understand offers no interface
        const size_t count = descriptor.collections.size();
        for (size_t i = 0; i < count; ++i) {
            const auto collection = static_cast<uint16_t>(count == 1 ? 0 : i + 1);
            paths_.push_back(MakeHidPath(info.node, info.vendorId, info.productId,
                                         info.interfaceNumber, collection, info.instance));
        }
    }
    pathsListed_ = true;
    cursor_ = 0;
    return true;
}

const char* HidInterface::NextPath() {
    if (!pathsListed_ || cursor_ >= paths_.size()) return nullptr;
    return paths_[cursor_++].c_str();
}

void HidInterface::FreePaths() {
    paths_.clear();
    cursor_ = 0;
    pathsListed_ = false;
}

bool HidInterface::Open(const std::string& path, bool readAccess, bool writeAccess,
                        bool overlapped, bool exclusive) {
    readAccess_ = readAccess;
    writeAccess_ = writeAccess;
    overlapped_ = overlapped;
    exclusive_ = exclusive;
    Close();
    FreeInterfaceInformation();
    path_ = path;
    if (path.size() + 1 > kHidMaxPathChars) return false;
    std::shared_ptr<HidNode> node =
        OpenHidNode(std::string(HidPathNode(path)), readAccess, writeAccess);
    if (!node) return false;
    if (!ReadInterfaceInformation(*node)) {
        node->Cancel();
        FreeInterfaceInformation();
        return false;
    }
    std::lock_guard lock(nodeMutex_);
    node_ = std::move(node);
    return true;
}

void HidInterface::Close() {
    std::shared_ptr<HidNode> node;
    {
        std::lock_guard lock(nodeMutex_);
        node.swap(node_);
    }
    // Wakes a read or write waiting in another thread; that thread still owns the
    // node until it returns, so the file is closed only after it has left it. The
    // report layout stays readable until the next Open for the same reason.
    if (node) node->Cancel();
}

bool HidInterface::IsOpen() const { return CurrentNode() != nullptr; }

bool HidInterface::Present() const {
    std::shared_ptr<HidNode> node = CurrentNode();
    return node && node->Present();
}

std::shared_ptr<HidNode> HidInterface::CurrentNode() const {
    std::lock_guard lock(nodeMutex_);
    return node_;
}

int HidInterface::Read(uint8_t* buffer, size_t length, size_t* bytesOut, int timeoutMs) {
    *bytesOut = 0;
    std::shared_ptr<HidNode> node = CurrentNode();
    if (!node || length == 0) return 0;
    const bool ids = collection_.usesReportIds;
    uint8_t* target = ids ? buffer : buffer + 1;
    const size_t room = ids ? length : length - 1;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        size_t got = 0;
        const int wait = timeoutMs < 0 ? -1 : RemainingMs(deadline);
        if (!node->Read(target, room, &got, wait)) return 0;
        if (ids && !collection_.OwnsReportId(buffer[0])) continue;  // another collection's report
        if (!ids) buffer[0] = 0;
        *bytesOut = ids ? got : got + 1;
        return 1;
    }
}

int HidInterface::Write(const uint8_t* buffer, size_t length, size_t* bytesOut, int timeoutMs) {
    *bytesOut = 0;
    std::shared_ptr<HidNode> node = CurrentNode();
    if (!node) return 0;
    return node->Write(buffer, length, bytesOut, timeoutMs) ? 1 : 0;
}

bool HidInterface::UnpackInputReport(const uint8_t* report, size_t length) {
    if (length == 0) return false;
    const auto reportLength = static_cast<uint32_t>(length);
    for (HidDataEntry& e : parts_[static_cast<int>(HidReportType::Input)].entries) {
        if (e.reportId != report[0]) continue;
        if (e.isButton) {
            uint32_t count = e.maxUsageListLength;
            e.status = HidGetUsages(collection_, HidReportType::Input, e.usagePage, 0,
                                    e.usages.data(), &count, report, reportLength);
            size_t kept = 0;
            for (uint32_t i = 0; i < count && i < e.usages.size(); ++i) {
                const uint16_t u = e.usages[i];
                if (u >= e.usageMin && u <= e.usageMax) e.usages[kept++] = u;
            }
            if (kept < e.usages.size()) e.usages[kept] = 0;
        } else {
            e.status = HidGetUsageValue(collection_, HidReportType::Input, e.usagePage, 0, e.usage,
                                        &e.rawValue, report, reportLength);
            if (e.status != HIDP_STATUS_SUCCESS) return false;
            e.status = HidGetScaledUsageValue(collection_, HidReportType::Input, e.usagePage, 0,
                                              e.usage, &e.scaledValue, report, reportLength);
        }
        e.isSet = true;
    }
    return true;
}

bool HidInterface::ReadInterfaceInformation(const HidNode& node) {
    const std::vector<uint8_t>& bytes = node.ReportDescriptor();
    HidReportDescriptor descriptor;
    if (ParseReportDescriptor(bytes.data(), bytes.size(), descriptor) != kHidParseOk) return false;
    const uint16_t col = HidPathNumber(path_, "&col");
    const size_t index = col == 0 ? 0 : col - 1u;
    if (index >= descriptor.collections.size()) return false;
    collection_ = std::move(descriptor.collections[index]);
    vendorId_ = node.VendorId();
    productId_ = node.ProductId();
    versionNumber_ = node.VersionNumber();
    for (int t = 0; t < kHidReportTypeCount; ++t) {
        const auto type = static_cast<HidReportType>(t);
        HidReportPart& part = parts_[t];
        part.buffer.assign(collection_.reportByteLength[t], 0);
        part.buttonCaps = collection_.buttonCaps[t];
        part.valueCaps = collection_.valueCaps[t];
        part.entries = BuildEntries(collection_, type);
    }
    interfaceNumber_ = HidPathNumber(path_, "&mi_");
    collectionNumber_ = col;
    return true;
}

void HidInterface::FreeInterfaceInformation() {
    collection_ = HidTopCollection{};
    for (HidReportPart& part : parts_) part = HidReportPart{};
    vendorId_ = productId_ = versionNumber_ = 0;
    interfaceNumber_ = collectionNumber_ = 0;
}
