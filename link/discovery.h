// Discovery of the supported HID interfaces: claims each present interface
// for the first free matching entry of the interface list and reports it,
// and reports entries whose interface has gone. The reports of one thread
// reach the sink one at a time, in order; the sink may read the interface
// list while it handles them.
#pragma once

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "link/device_identity.h"
#include "link/hid_interface.h"
#include "link/hotplug_monitor.h"

class DiscoverySink {
public:
    virtual ~DiscoverySink() = default;
    virtual void InterfaceArrived(int index) = 0;  // an entry was claimed
    virtual void InterfaceRemoved(int index) = 0;  // an entry's interface is gone; the entry is free
    virtual void FirstPassDone() = 0;              // once, after the first complete pass
};

class Discovery {
public:
    explicit Discovery(DiscoverySink& sink);
    ~Discovery();
    Discovery(const Discovery&) = delete;
    Discovery& operator=(const Discovery&) = delete;

    // The working copy of the interface table; its indexes are the table's.
    std::vector<DeviceIdentity>& InterfaceList() { return list_; }

    // One pass on the caller's thread: claims new interfaces (only while some
    // entry is free), then frees the entries whose interface is gone. False
    // when the platform could not list its interfaces.
    bool RunPass();

    // The discovery thread: a pass at once, then one on every hot-plug change
    // (or every 100 ms where no monitor is available). Enumeration failure ends it.
    void Start();
    void Stop();
    bool Running() const { return running_; }

    int EnumerationCount() const { return enumerations_; }
    // Polling interval without a monitor, and how soon an interface that could
    // not be opened is tried again.
    void SetPollIntervalMs(int ms) { pollMs_ = ms; }

private:
    void ThreadMain();
    bool AnyEntryFree() const;
    bool ClaimNewInterfaces();
    void CheckPresence();
    bool Claimed(const std::string& path) const;

    DiscoverySink& sink_;
    std::vector<DeviceIdentity> list_;
    HidInterface enumerator_;
    HidInterface probe_;
    HotplugMonitor monitor_;
    std::thread thread_;
    std::atomic<bool> exit_{false};
    std::atomic<bool> running_{false};
    bool firstPassReported_ = false;
    bool probeFailed_ = false;  // some interface could not be opened: try again soon
    int retryMs_ = 0;           // grows while the same interfaces keep failing
    std::atomic<int> enumerations_{0};
    int pollMs_ = 100;
};
