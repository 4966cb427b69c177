// A device object of a kind whose own class is not there: the device base
// with the kind's device type.
#pragma once

#include "devices/zentrel_usb_device.h"

class GenericDevice final : public CZentrelUSBDevice {
public:
    explicit GenericDevice(int deviceType, Clock& clock = SteadyClock::Instance()) : CZentrelUSBDevice(clock) {
        deviceType_ = deviceType;
    }
    ~GenericDevice() override { StopThreads(); }
};
