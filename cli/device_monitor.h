// Follows the supported devices as they come and go: runs the discovery thread
// with a device manager and prints one line per event, as it happens:
//   + 4 mouse command 320f:226e mi 1 col 2 cable PATH   an interface arrived
//   - 4 mouse command 320f:226e mi 1 col 2 cable PATH   it has gone
//   ~ mouse cable -> receiver                            a connection switch
// (index in the interface list, kind, role, ids, interface and collection
// numbers, connection, path). Lines are written from the discovery thread and
// flushed one by one.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cli/discovery_session.h"

class DeviceMonitor : private DiscoverySink, private DeviceListView {
public:
    explicit DeviceMonitor(std::FILE* out);
    ~DeviceMonitor() override;
    DeviceMonitor(const DeviceMonitor&) = delete;
    DeviceMonitor& operator=(const DeviceMonitor&) = delete;

    void Start();
    // Returns once the discovery thread has ended; nothing is printed after.
    void Stop();
    // False once the thread has ended (also when the interfaces could not be listed).
    bool Running() const { return session_.Running(); }

private:
    void InterfaceArrived(int index) override;
    void InterfaceRemoved(int index) override;
    void FirstPassDone() override {}
    void ArmTimer(CZentrelUSBDevice& device, int timerId, int ms) override;
    void SwitchedToCable(CZentrelUSBDevice& device) override;

    void PrintEntry(char sign, int index, const std::string& path);
    void PrintSwitch(const CZentrelUSBDevice& device, const char* from, const char* to);

    std::FILE* out_;
    std::vector<std::string> paths_;  // the path each entry was claimed with
    DiscoverySession session_;        // last: its thread ends before the rest goes
};
