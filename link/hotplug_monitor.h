// Tells the discovery thread when HID interfaces may have come or gone: the
// udev monitor for hidraw nodes (the "udev" source when udevd runs, else the
// kernel's own uevents), and the virtual bus's notifications. Waiting is
// cancellable from another thread.
#pragma once

#include <atomic>

class HotplugMonitor {
public:
    HotplugMonitor();
    ~HotplugMonitor();
    HotplugMonitor(const HotplugMonitor&) = delete;
    HotplugMonitor& operator=(const HotplugMonitor&) = delete;

    // True when kernel or udev events for hidraw nodes can be received; without
    // them the caller polls.
    bool Watching() const { return udevFd_ >= 0; }

    enum class Result { Changed, Woken, TimedOut, Failed };
    // Waits up to timeoutMs (-1: without limit) for a change or Wake().
    Result Wait(int timeoutMs);
    // Ends a Wait in another thread (also one that starts later).
    void Wake();

private:
    void DrainUdev();
    void OnVirtualEvent();

    struct udev* udev_ = nullptr;
    struct udev_monitor* monitor_ = nullptr;
    int udevFd_ = -1;
    int changeFd_ = -1;  // eventfd: a virtual interface came or went
    int wakeFd_ = -1;    // eventfd: Wake()
    int token_ = 0;      // the virtual bus subscription
};
