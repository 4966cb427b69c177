// The uhid bridge as a child process: started with its device list, stopped
// with SIGTERM (its uhid devices are destroyed, as an unplug).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

#include <string>
#include <vector>

class BridgeProcess {
public:
    BridgeProcess(std::string program, std::vector<std::string> args);
    ~BridgeProcess();
    BridgeProcess(const BridgeProcess&) = delete;
    BridgeProcess& operator=(const BridgeProcess&) = delete;

    bool Start();
    // True when the bridge ended with exit code 0 after SIGTERM.
    bool Stop();
    bool Running() const { return pid_ > 0; }

private:
    const std::string program_;
    const std::vector<std::string> args_;
    pid_t pid_ = -1;
};

// Waits until `count` hidraw nodes of this vendor are listed (and no more). False after timeoutMs.
bool WaitForHidrawNodes(uint16_t vendorId, size_t count, int timeoutMs);
