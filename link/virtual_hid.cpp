#include "link/virtual_hid.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <deque>

#include "link/report_descriptor.h"

namespace {

class VirtualHandle;

}  // namespace

struct VirtualHidBus::Interface {
    uint32_t id = 0;
    VirtualHidSpec setup;
    std::shared_ptr<VirtualHidResponder> responder;
    std::mutex responderMutex;  // one report at a time, as a device takes them
    std::mutex mutex;           // guards handles and removed
    std::vector<std::weak_ptr<VirtualHandle>> handles;
    bool removed = false;
    bool openRefused = false;
    // The input reports the descriptor declares: byte length after the id byte
    // by report id, -1 when undeclared. Without a readable descriptor every
    // report passes (`checked` false).
    bool checked = false;
    bool numbered = false;
    std::array<int32_t, 256> inputLength{};
};

namespace {

class VirtualHandle final : public HidNode {
public:
    VirtualHandle(std::shared_ptr<VirtualHidBus::Interface> iface, bool readAccess, bool writeAccess)
        : iface_(std::move(iface)), readAccess_(readAccess), writeAccess_(writeAccess) {}

    bool Read(uint8_t* buffer, size_t length, size_t* bytesRead, int timeoutMs) override {
        *bytesRead = 0;
        if (!readAccess_) return false;
        std::unique_lock lock(mutex_);
        auto ready = [this] { return cancelled_ || removed_ || !queue_.empty(); };
        if (timeoutMs < 0) {
            cv_.wait(lock, ready);
        } else if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
            return false;
        }
        if (cancelled_ || removed_) return false;
        const std::vector<uint8_t>& report = queue_.front();
        const size_t n = std::min(length, report.size());
        std::copy_n(report.begin(), n, buffer);
        queue_.pop_front();
        *bytesRead = n;
        return true;
    }

    bool Write(const uint8_t* buffer, size_t length, size_t* bytesWritten, int timeoutMs) override {
        *bytesWritten = 0;
        if (!writeAccess_ || length < kVirtualMinWrite || length > kVirtualMaxReport) return false;
        if (Stopped()) return false;
        VirtualWriteResult result = VirtualWriteResult::Accepted;
        if (iface_->responder) {
            std::lock_guard serial(iface_->responderMutex);
            if (Stopped()) return false;
            result = iface_->responder->OnOutputReport(iface_->id, buffer, length);
        }
        if (result == VirtualWriteResult::Stalled) {
            std::unique_lock lock(mutex_);
            auto stopped = [this] { return cancelled_ || removed_; };
            if (timeoutMs < 0) {
                cv_.wait(lock, stopped);
            } else {
                cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), stopped);
            }
            return false;
        }
        if (result == VirtualWriteResult::Failed) return false;
        *bytesWritten = length;
        return true;
    }

    void Cancel() override {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
        cv_.notify_all();
    }

    uint16_t VendorId() const override { return iface_->setup.vendorId; }
    uint16_t ProductId() const override { return iface_->setup.productId; }
    uint16_t VersionNumber() const override { return iface_->setup.versionNumber; }
    const std::vector<uint8_t>& ReportDescriptor() const override {
        return iface_->setup.reportDescriptor;
    }
    bool Present() const override {
        std::lock_guard lock(mutex_);
        return !removed_;
    }

    bool WantsInput() const { return readAccess_; }

    void Push(const uint8_t* report, size_t length) {
        std::lock_guard lock(mutex_);
        if (removed_ || queue_.size() >= kVirtualQueueLimit) return;  // full: the newest is lost
        queue_.emplace_back(report, report + length);
        cv_.notify_all();
    }

    void MarkRemoved() {
        std::lock_guard lock(mutex_);
        removed_ = true;
        cv_.notify_all();
    }

private:
    bool Stopped() const {
        std::lock_guard lock(mutex_);
        return cancelled_ || removed_;
    }

    const std::shared_ptr<VirtualHidBus::Interface> iface_;
    const bool readAccess_;
    const bool writeAccess_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::vector<uint8_t>> queue_;
    bool cancelled_ = false;
    bool removed_ = false;
};

void LearnInputReports(VirtualHidBus::Interface& iface) {
    iface.inputLength.fill(-1);
    const std::vector<uint8_t>& bytes = iface.setup.reportDescriptor;
    HidReportDescriptor descriptor;
    if (ParseReportDescriptor(bytes.data(), bytes.size(), descriptor) != kHidParseOk) return;
    std::array<uint64_t, 256> bits{};
    std::array<bool, 256> declared{};
    for (const HidTopCollection& c : descriptor.collections) {
        for (const HidField& f : c.fields) {
            if (f.type != HidReportType::Input) continue;
            declared[f.reportId] = true;
            bits[f.reportId] = std::max(bits[f.reportId],
                                        f.bitOffset + uint64_t{f.reportSize} * f.reportCount);
        }
    }
    for (size_t id = 0; id < bits.size(); ++id)
        if (declared[id]) iface.inputLength[id] = static_cast<int32_t>((bits[id] + 7) / 8);
    iface.numbered = descriptor.usesReportIds;
    iface.checked = true;
}

// The kernel hands a report to hidraw only when its id names an input report
// and it carries at least that report's bytes.
bool HidrawWouldDeliver(const VirtualHidBus::Interface& iface, const uint8_t* report,
                        size_t length) {
    if (!iface.checked) return true;
    const uint8_t id = iface.numbered ? report[0] : 0;
    const int32_t needed = iface.inputLength[id];
    const size_t payload = iface.numbered ? length - 1 : length;
    return needed >= 0 && payload >= static_cast<size_t>(needed);
}

uint32_t ParseVirtualNode(const std::string& node) {
    const std::string prefix = kVirtualNodePrefix;
    if (node.compare(0, prefix.size(), prefix) != 0) return 0;
    const std::string digits = node.substr(prefix.size());
    if (digits.empty() || digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    return static_cast<uint32_t>(std::stoul(digits));
}

}  // namespace

VirtualHidBus& VirtualHidBus::Instance() {
    static VirtualHidBus bus;
    return bus;
}

std::string VirtualHidBus::NodeName(uint32_t interfaceId) {
    return kVirtualNodePrefix + std::to_string(interfaceId);
}

uint32_t VirtualHidBus::Add(const VirtualHidSpec& setup,
                            std::shared_ptr<VirtualHidResponder> responder) {
    auto iface = std::make_shared<Interface>();
    iface->setup = setup;
    iface->responder = std::move(responder);
    LearnInputReports(*iface);
    {
        std::lock_guard lock(mutex_);
        iface->id = nextId_++;
        interfaces_.push_back(iface);
    }
    Notify({VirtualHidEvent::Kind::Added, iface->id, NodeName(iface->id)});
    return iface->id;
}

bool VirtualHidBus::Remove(uint32_t interfaceId) {
    std::shared_ptr<Interface> iface;
    {
        std::lock_guard lock(mutex_);
        auto it = std::find_if(interfaces_.begin(), interfaces_.end(),
                               [&](const auto& i) { return i->id == interfaceId; });
        if (it == interfaces_.end()) return false;
        iface = *it;
        interfaces_.erase(it);
    }
    {
        std::lock_guard lock(iface->mutex);
        iface->removed = true;
        for (auto& weak : iface->handles)
            if (auto handle = weak.lock()) handle->MarkRemoved();
        iface->handles.clear();
    }
    Notify({VirtualHidEvent::Kind::Removed, interfaceId, NodeName(interfaceId)});
    return true;
}

bool VirtualHidBus::SendInput(uint32_t interfaceId, const uint8_t* report, size_t length) {
    if (length == 0 || length > kVirtualMaxReport) return false;
    std::shared_ptr<Interface> iface = Find(interfaceId);
    if (!iface) return false;
    std::lock_guard lock(iface->mutex);
    if (iface->removed) return false;
    if (!HidrawWouldDeliver(*iface, report, length)) return true;  // the host ignores it
    std::erase_if(iface->handles, [](const auto& weak) { return weak.expired(); });
    for (auto& weak : iface->handles) {
        auto handle = weak.lock();
        if (handle && handle->WantsInput()) handle->Push(report, length);
    }
    return true;
}

void VirtualHidBus::SetOpenRefused(uint32_t interfaceId, bool refused) {
    std::shared_ptr<Interface> iface = Find(interfaceId);
    if (!iface) return;
    std::lock_guard lock(iface->mutex);
    iface->openRefused = refused;
}

bool VirtualHidBus::Contains(const std::string& node) const {
    const uint32_t id = ParseVirtualNode(node);
    return id != 0 && Find(id) != nullptr;
}

size_t VirtualHidBus::OpenHandleCount(uint32_t interfaceId) const {
    std::shared_ptr<Interface> iface = Find(interfaceId);
    if (!iface) return 0;
    std::lock_guard lock(iface->mutex);
    return static_cast<size_t>(std::count_if(iface->handles.begin(), iface->handles.end(),
                                             [](const auto& weak) { return !weak.expired(); }));
}

void VirtualHidBus::List(std::vector<HidNodeInfo>& nodes) const {
    std::lock_guard lock(mutex_);
    for (const auto& iface : interfaces_) {
        HidNodeInfo info;
        info.node = NodeName(iface->id);
        info.vendorId = iface->setup.vendorId;
        info.productId = iface->setup.productId;
        info.interfaceNumber = iface->setup.interfaceNumber;
        info.reportDescriptor = iface->setup.reportDescriptor;
        nodes.push_back(std::move(info));
    }
}

std::shared_ptr<HidNode> VirtualHidBus::Open(const std::string& node, bool readAccess,
                                             bool writeAccess) {
    std::shared_ptr<Interface> iface = Find(ParseVirtualNode(node));
    if (!iface) return nullptr;
    auto handle = std::make_shared<VirtualHandle>(iface, readAccess, writeAccess);
    std::lock_guard lock(iface->mutex);
    if (iface->removed || iface->openRefused) return nullptr;
    iface->handles.push_back(handle);
    return handle;
}

int VirtualHidBus::Subscribe(Listener listener) {
    std::lock_guard lock(listenerMutex_);
    listeners_.emplace_back(nextToken_, std::move(listener));
    return nextToken_++;
}

void VirtualHidBus::Unsubscribe(int token) {
    std::lock_guard lock(listenerMutex_);
    std::erase_if(listeners_, [token](const auto& l) { return l.first == token; });
}

std::shared_ptr<VirtualHidBus::Interface> VirtualHidBus::Find(uint32_t interfaceId) const {
    std::lock_guard lock(mutex_);
    for (const auto& iface : interfaces_)
        if (iface->id == interfaceId) return iface;
    return nullptr;
}

void VirtualHidBus::Notify(const VirtualHidEvent& event) {
    std::lock_guard lock(listenerMutex_);
    for (const auto& [token, listener] : listeners_) listener(event);
}
