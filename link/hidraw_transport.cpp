#include "link/hidraw_transport.h"

#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

using Clock = std::chrono::steady_clock;

struct UdevDeleter {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
};
template <typename T>
using UdevPtr = std::unique_ptr<T, UdevDeleter>;

// Reads "0003:0000320F:0000226E" (bus, vendor, product) from HID_ID.
bool ParseHidId(const char* text, uint16_t& vendor, uint16_t& product) {
    if (!text) return false;
    unsigned bus = 0, v = 0, p = 0;
    if (std::sscanf(text, "%x:%x:%x", &bus, &v, &p) != 3) return false;
    vendor = static_cast<uint16_t>(v);
    product = static_cast<uint16_t>(p);
    return true;
}

// The interface number: bInterfaceNumber of the USB interface, else the
// "/inputN" suffix of the physical path (uhid, Bluetooth).
uint16_t InterfaceNumberOf(udev_device* hidraw, udev_device* hid) {
    udev_device* intf = udev_device_get_parent_with_subsystem_devtype(hidraw, "usb", "usb_interface");
    if (intf) {
        if (const char* num = udev_device_get_sysattr_value(intf, "bInterfaceNumber"))
            return static_cast<uint16_t>(std::strtoul(num, nullptr, 16));
    }
    const char* phys = hid ? udev_device_get_property_value(hid, "HID_PHYS") : nullptr;
    if (phys) {
        const char* input = std::strstr(phys, "/input");
        if (input) return static_cast<uint16_t>(std::strtoul(input + 6, nullptr, 10));
    }
    return 0;
}

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

uint16_t VersionOfNode(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0) return 0;
    UdevPtr<udev> u(udev_new());
    if (!u) return 0;
    UdevPtr<udev_device> dev(udev_device_new_from_devnum(u.get(), 'c', st.st_rdev));
    if (!dev) return 0;
    udev_device* usb = udev_device_get_parent_with_subsystem_devtype(dev.get(), "usb", "usb_device");
    const char* bcd = usb ? udev_device_get_sysattr_value(usb, "bcdDevice") : nullptr;
    return bcd ? static_cast<uint16_t>(std::strtoul(bcd, nullptr, 16)) : 0;
}

int RemainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() <= 0 ? 0 : static_cast<int>(left.count());
}

class HidrawNode final : public HidNode {
public:
    HidrawNode(int fd, int cancelFd, uint16_t vendor, uint16_t product, uint16_t version,
               std::vector<uint8_t> descriptor)
        : fd_(fd), cancelFd_(cancelFd), vendor_(vendor), product_(product), version_(version),
          descriptor_(std::move(descriptor)) {}
    ~HidrawNode() override {
        close(fd_);
        close(cancelFd_);
    }

    bool Read(uint8_t* buffer, size_t length, size_t* bytesRead, int timeoutMs) override {
        *bytesRead = 0;
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (!WaitReady(POLLIN, timeoutMs < 0 ? -1 : RemainingMs(deadline))) return false;
            const ssize_t n = read(fd_, buffer, length);
            if (n > 0) {
                *bytesRead = static_cast<size_t>(n);
                return true;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            gone_ = true;  // EIO after unplug, or end of file
            return false;
        }
    }

    bool Write(const uint8_t* buffer, size_t length, size_t* bytesWritten, int timeoutMs) override {
        *bytesWritten = 0;
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            if (cancelled_) return false;
            // The kernel may hold a hidraw write for a while when the device does not
            // take the report; that wait cannot be cancelled from here.
            const ssize_t n = write(fd_, buffer, length);
            if (n >= 0) {
                *bytesWritten = static_cast<size_t>(n);
                return static_cast<size_t>(n) == length;
            }
            if (errno == EINTR) continue;
            if (errno == EAGAIN) {
                if (!WaitReady(POLLOUT, timeoutMs < 0 ? -1 : RemainingMs(deadline))) return false;
                continue;
            }
            if (errno == ENODEV) gone_ = true;
            return false;
        }
    }

    void Cancel() override {
        cancelled_ = true;
        const uint64_t one = 1;
        // An eventfd write fails only when the counter would overflow; the flag above
        // already makes every later wait fail, so nothing is lost then.
        const ssize_t written = write(cancelFd_, &one, sizeof one);
        (void)written;
    }

    uint16_t VendorId() const override { return vendor_; }
    uint16_t ProductId() const override { return product_; }
    uint16_t VersionNumber() const override { return version_; }
    const std::vector<uint8_t>& ReportDescriptor() const override { return descriptor_; }
    bool Present() const override { return !gone_; }

private:
    // Waits until the node is ready for `events`, the cancel event fires or the time is up.
    bool WaitReady(short events, int timeoutMs) {
        for (;;) {
            if (cancelled_) return false;
            pollfd fds[2] = {{fd_, events, 0}, {cancelFd_, POLLIN, 0}};
            const int r = poll(fds, 2, timeoutMs);
            if (r < 0 && errno == EINTR) continue;  // a signal; the deadline is not stretched much
            if (r <= 0) return false;                // timeout or poll failure
            if (fds[1].revents != 0 || cancelled_) {
                uint64_t count = 0;
                const ssize_t drained = read(cancelFd_, &count, sizeof count);  // may be 0: already drained
                (void)drained;
                return false;
            }
            if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
                gone_ = true;
                return false;
            }
            if (fds[0].revents & events) return true;
        }
    }

    const int fd_;
    const int cancelFd_;
    const uint16_t vendor_, product_, version_;
    const std::vector<uint8_t> descriptor_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> gone_{false};
};

}  // namespace

bool ListHidrawNodes(std::vector<HidNodeInfo>& nodes) {
    UdevPtr<udev> u(udev_new());
    if (!u) return false;
    UdevPtr<udev_enumerate> en(udev_enumerate_new(u.get()));
    if (!en) return false;
    if (udev_enumerate_add_match_subsystem(en.get(), "hidraw") < 0) return false;
    if (udev_enumerate_scan_devices(en.get()) < 0) return false;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(en.get())) {
        UdevPtr<udev_device> dev(udev_device_new_from_syspath(u.get(), udev_list_entry_get_name(entry)));
        if (!dev) continue;  // vanished between scan and lookup
        const char* devnode = udev_device_get_devnode(dev.get());
        udev_device* hid = udev_device_get_parent_with_subsystem_devtype(dev.get(), "hid", nullptr);
        if (!devnode || !hid) continue;
        HidNodeInfo info;
        info.node = devnode;
        if (!ParseHidId(udev_device_get_property_value(hid, "HID_ID"), info.vendorId, info.productId))
            continue;
        info.interfaceNumber = InterfaceNumberOf(dev.get(), hid);
        if (const char* name = udev_device_get_sysname(hid)) info.instance = name;
        const std::string descriptorPath = std::string(udev_device_get_syspath(hid)) + "/report_descriptor";
        if (!ReadFileBytes(descriptorPath, info.reportDescriptor)) continue;
        nodes.push_back(std::move(info));
    }
    return true;
}

bool HidrawNodePresent(const std::string& node, const std::string& instance) {
    struct stat st {};
    if (stat(node.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    if (instance.empty()) return true;
    UdevPtr<udev> u(udev_new());
    if (!u) return true;  // cannot tell: the node is there
    UdevPtr<udev_device> dev(udev_device_new_from_devnum(u.get(), 'c', st.st_rdev));
    if (!dev) return false;
    udev_device* hid = udev_device_get_parent_with_subsystem_devtype(dev.get(), "hid", nullptr);
    const char* name = hid ? udev_device_get_sysname(hid) : nullptr;
    return name && instance == name;
}

std::shared_ptr<HidNode> OpenHidrawNode(const std::string& node, bool readAccess, bool writeAccess) {
    int flags = O_NONBLOCK | O_CLOEXEC;
    flags |= readAccess && writeAccess ? O_RDWR : (writeAccess ? O_WRONLY : O_RDONLY);
    const int fd = open(node.c_str(), flags);
    if (fd < 0) return nullptr;
    hidraw_devinfo devinfo{};
    int descSize = 0;
    if (ioctl(fd, HIDIOCGRAWINFO, &devinfo) < 0 || ioctl(fd, HIDIOCGRDESCSIZE, &descSize) < 0 ||
        descSize < 0 || descSize > HID_MAX_DESCRIPTOR_SIZE) {
        close(fd);
        return nullptr;
    }
    hidraw_report_descriptor desc{};
    desc.size = static_cast<uint32_t>(descSize);
    if (ioctl(fd, HIDIOCGRDESC, &desc) < 0) {
        close(fd);
        return nullptr;
    }
    const int cancelFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (cancelFd < 0) {
        close(fd);
        return nullptr;
    }
    // The kernel hands vendor and product out as signed 16-bit numbers.
    const auto vendor = static_cast<uint16_t>(devinfo.vendor);
    const auto product = static_cast<uint16_t>(devinfo.product);
    return std::make_shared<HidrawNode>(fd, cancelFd, vendor, product, VersionOfNode(fd),
                                        std::vector<uint8_t>(desc.value, desc.value + desc.size));
}
