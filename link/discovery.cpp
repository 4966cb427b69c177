#include "link/discovery.h"

#include <algorithm>
#include <chrono>

#include "link/debug_trace.h"
#include "link/hid_path.h"
#include "link/supported_devices.h"

namespace {

// An interface that would not open (its permissions may come a moment after the
// node) is tried again after 0.5 s, then less and less often while it keeps failing.
constexpr int kFirstRetryMs = 500;
constexpr int kLastRetryMs = 30000;

bool Free(const DeviceIdentity& e) { return e.inUse == 0 && e.path.empty(); }

}  // namespace

Discovery::Discovery(DiscoverySink& sink) : sink_(sink), list_(MakeInterfaceList()) {}

Discovery::~Discovery() { Stop(); }

bool Discovery::AnyEntryFree() const {
    for (const DeviceIdentity& e : list_)
        if (Free(e)) return true;
    return false;
}

bool Discovery::Claimed(const std::string& path) const {
    for (const DeviceIdentity& e : list_)
        if (e.inUse && e.path == path) return true;
    return false;
}

bool Discovery::ClaimNewInterfaces() {
    if (!enumerator_.Enumerate()) return false;
    ++enumerations_;
    probeFailed_ = false;
    while (const char* p = enumerator_.NextPath()) {
        const std::string path = p;
        // An interface already claimed for one entry is not claimed for another.
        if (Claimed(path)) continue;
        DeviceIdentity probe;
        probe.vendorId = HidPathNumber(path, "vid_");
        probe.productId = HidPathNumber(path, "pid_");
        probe.interfaceNumber = HidPathNumber(path, "&mi_");
        probe.collectionNumber = HidPathNumber(path, "&col");
        auto sameFour = [&](const auto& e) {
            return e.vendorId == probe.vendorId && e.productId == probe.productId &&
                   e.collectionNumber == probe.collectionNumber && e.interfaceNumber == probe.interfaceNumber;
        };
        bool rowMatches = false, entryFree = false;
        for (const InterfaceRow& r : kInterfaceTable) rowMatches = rowMatches || sameFour(r);
        for (const DeviceIdentity& e : list_) entryFree = entryFree || (sameFour(e) && Free(e));
        if (!rowMatches || !entryFree) continue;

        if (!probe_.Open(path, true, false, true, false)) {
            probeFailed_ = true;  // no permission yet, or gone again: a later pass tries again
            continue;
        }
        probe.vendorId = probe_.VendorId();
        probe.productId = probe_.ProductId();
        probe.usagePage = probe_.UsagePage();
        probe.usage = probe_.Usage();
        probe_.Close();
        auto sameSix = [&](const auto& e) {
            return sameFour(e) && e.usagePage == probe.usagePage && e.usage == probe.usage;
        };
        for (size_t i = 0; i < list_.size(); ++i) {
            DeviceIdentity& e = list_[i];
            if (!sameSix(e) || !Free(e)) continue;
            e.inUse = 1;
            e.path = path;
            sink_.InterfaceArrived(static_cast<int>(i));
            break;
        }
    }
    enumerator_.FreePaths();
    return true;
}

void Discovery::CheckPresence() {
    for (size_t i = 0; i < list_.size(); ++i) {
        DeviceIdentity& e = list_[i];
        if (!e.inUse || HidPathPresent(e.path)) continue;
        e.inUse = 0;
        e.path.clear();
        sink_.InterfaceRemoved(static_cast<int>(i));
    }
}

bool Discovery::RunPass() {
    if (AnyEntryFree() && !ClaimNewInterfaces()) return false;
    if (!firstPassReported_) {
        firstPassReported_ = true;
        sink_.FirstPassDone();
    }
    CheckPresence();
    return true;
}

void Discovery::Start() {
    if (thread_.joinable()) return;
    exit_ = false;
    running_ = true;
    thread_ = std::thread([this] { ThreadMain(); });
}

void Discovery::Stop() {
    if (!thread_.joinable()) return;
    exit_ = true;
    monitor_.Wake();
    thread_.join();
}

void Discovery::ThreadMain() {
    for (;;) {
        if (exit_) {
            DebugTrace("抓取设备线程设定退出");
            break;
        }
        if (!RunPass()) {
            DebugTrace("抓取设备线程：无法列出设备，线程结束");
            break;
        }
        int wait = -1;  // with a monitor, nothing happens until something changes
        if (!monitor_.Watching()) wait = pollMs_;
        if (probeFailed_) {
            retryMs_ = retryMs_ == 0 ? kFirstRetryMs : std::min(retryMs_ * 2, kLastRetryMs);
            wait = wait < 0 ? retryMs_ : std::min(wait, retryMs_);
        } else {
            retryMs_ = 0;
        }
        const HotplugMonitor::Result result = monitor_.Wait(wait);
        if (result == HotplugMonitor::Result::Changed) retryMs_ = 0;
        if (result == HotplugMonitor::Result::Failed && !exit_) {
            // The monitor broke: fall back to polling.
            std::this_thread::sleep_for(std::chrono::milliseconds(pollMs_));
        }
    }
    running_ = false;
}
