#include "link/hotplug_monitor.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "link/debug_trace.h"
#include "link/virtual_hid.h"

namespace {

void Signal(int fd) {
    const uint64_t one = 1;
    if (write(fd, &one, sizeof one) != static_cast<ssize_t>(sizeof one) && errno != EAGAIN)
        DebugTrace("hot-plug: cannot signal an eventfd: " + std::to_string(errno));
}

void Drain(int fd) {
    uint64_t count = 0;
    if (read(fd, &count, sizeof count) < 0 && errno != EAGAIN)
        DebugTrace("hot-plug: cannot read an eventfd: " + std::to_string(errno));
}

// udevd announces itself with its control socket; without it only the kernel's
// own events arrive.
bool UdevdRunning() { return access("/run/udev/control", F_OK) == 0; }

}  // namespace

HotplugMonitor::HotplugMonitor() {
    changeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (changeFd_ < 0 || wakeFd_ < 0) DebugTrace("hot-plug: cannot create an eventfd");
    token_ = VirtualHidBus::Instance().Subscribe([this](const VirtualHidEvent&) { OnVirtualEvent(); });

    udev_ = udev_new();
    if (!udev_) return;
    monitor_ = udev_monitor_new_from_netlink(udev_, UdevdRunning() ? "udev" : "kernel");
    if (!monitor_ || udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0) {
        DebugTrace("hot-plug: no udev monitor; polling instead");
        if (monitor_) udev_monitor_unref(monitor_);
        monitor_ = nullptr;
        return;
    }
    udevFd_ = udev_monitor_get_fd(monitor_);
}

HotplugMonitor::~HotplugMonitor() {
    VirtualHidBus::Instance().Unsubscribe(token_);
    if (monitor_) udev_monitor_unref(monitor_);
    if (udev_) udev_unref(udev_);
    if (changeFd_ >= 0) close(changeFd_);
    if (wakeFd_ >= 0) close(wakeFd_);
}

void HotplugMonitor::OnVirtualEvent() {
    if (changeFd_ >= 0) Signal(changeFd_);
}

void HotplugMonitor::Wake() {
    if (wakeFd_ >= 0) Signal(wakeFd_);
}

void HotplugMonitor::DrainUdev() {
    // Only "something changed" matters: the caller rescans.
    while (udev_device* dev = udev_monitor_receive_device(monitor_)) udev_device_unref(dev);
}

HotplugMonitor::Result HotplugMonitor::Wait(int timeoutMs) {
    pollfd fds[3];
    nfds_t n = 0;
    fds[n++] = {wakeFd_, POLLIN, 0};
    fds[n++] = {changeFd_, POLLIN, 0};
    if (udevFd_ >= 0) fds[n++] = {udevFd_, POLLIN, 0};
    const int r = poll(fds, n, timeoutMs);
    if (r < 0) {
        if (errno == EINTR) return Result::TimedOut;
        DebugTrace("hot-plug: poll failed: " + std::to_string(errno));
        return Result::Failed;
    }
    if (r == 0) return Result::TimedOut;
    if (fds[0].revents) {
        Drain(wakeFd_);
        return Result::Woken;
    }
    if (fds[1].revents) Drain(changeFd_);
    if (n > 2 && fds[2].revents) DrainUdev();
    return Result::Changed;
}
