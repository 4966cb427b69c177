// One uhid device driven straight from the test: the kernel's side of a HID
// device whose input reports, descriptor and unplug the test chooses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class RawUhidDevice {
public:
    RawUhidDevice() = default;
    ~RawUhidDevice();
    RawUhidDevice(const RawUhidDevice&) = delete;
    RawUhidDevice& operator=(const RawUhidDevice&) = delete;

    bool Create(uint16_t vendorId, uint16_t productId, const std::vector<uint8_t>& descriptor);
    // Hands one input report to the kernel (it reaches hidraw before this returns).
    bool SendInput(const std::vector<uint8_t>& report);
    // The next output report the kernel passed to the device, waiting up to timeoutMs.
    bool NextOutput(std::vector<uint8_t>& report, int timeoutMs);
    bool Destroy();

private:
    int fd_ = -1;
};
