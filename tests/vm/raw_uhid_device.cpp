#include "tests/vm/raw_uhid_device.h"

#include <fcntl.h>
#include <linux/uhid.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace {

bool WriteEvent(int fd, const uhid_event& ev) {
    for (;;) {
        const ssize_t n = write(fd, &ev, sizeof ev);
        if (n == static_cast<ssize_t>(sizeof ev)) return true;
        if (n < 0 && errno == EINTR) continue;
        return false;
    }
}

std::unique_ptr<uhid_event> NewEvent(uint32_t type) {
    auto ev = std::make_unique<uhid_event>();
    std::memset(ev.get(), 0, sizeof *ev);
    ev->type = type;
    return ev;
}

}  // namespace

RawUhidDevice::~RawUhidDevice() { Destroy(); }

bool RawUhidDevice::Create(uint16_t vendorId, uint16_t productId,
                           const std::vector<uint8_t>& descriptor) {
    if (fd_ >= 0 || descriptor.size() > HID_MAX_DESCRIPTOR_SIZE) return false;
    fd_ = open("/dev/uhid", O_RDWR | O_CLOEXEC);
    if (fd_ < 0) return false;
    auto ev = NewEvent(UHID_CREATE2);
    uhid_create2_req& c = ev->u.create2;
    std::strncpy(reinterpret_cast<char*>(c.name), "raw uhid test device", sizeof c.name - 1);
    std::strncpy(reinterpret_cast<char*>(c.phys), "raw-uhid/input0", sizeof c.phys - 1);
    c.rd_size = static_cast<uint16_t>(descriptor.size());
    c.bus = BUS_USB;
    c.vendor = vendorId;
    c.product = productId;
    std::memcpy(c.rd_data, descriptor.data(), descriptor.size());
    if (WriteEvent(fd_, *ev)) return true;
    close(fd_);
    fd_ = -1;
    return false;
}

bool RawUhidDevice::SendInput(const std::vector<uint8_t>& report) {
    if (fd_ < 0 || report.size() > UHID_DATA_MAX) return false;
    auto ev = NewEvent(UHID_INPUT2);
    ev->u.input2.size = static_cast<uint16_t>(report.size());
    std::memcpy(ev->u.input2.data, report.data(), report.size());
    return WriteEvent(fd_, *ev);
}

bool RawUhidDevice::NextOutput(std::vector<uint8_t>& report, int timeoutMs) {
    if (fd_ < 0) return false;
    auto ev = NewEvent(0);
    for (;;) {
        pollfd p{fd_, POLLIN, 0};
        const int r = poll(&p, 1, timeoutMs);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        const ssize_t n = read(fd_, ev.get(), sizeof *ev);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        if (ev->type != UHID_OUTPUT) continue;  // start, open, close: not reports
        report.assign(ev->u.output.data, ev->u.output.data + ev->u.output.size);
        return true;
    }
}

bool RawUhidDevice::Destroy() {
    if (fd_ < 0) return false;
    auto ev = NewEvent(UHID_DESTROY);
    const bool destroyed = WriteEvent(fd_, *ev);
    const bool closed = close(fd_) == 0;
    fd_ = -1;
    return destroyed && closed;
}
