#include "devices/device_factory.h"

#include "devices/device_manager.h"
#include "devices/zentrel_mouse_device.h"

std::unique_ptr<CZentrelUSBDevice> MakeDeviceObject(int typeRow) {
    if (typeRow == 0) return std::make_unique<CZentrelMouseDevice>();
    return MakeGenericDevice(typeRow);
}
