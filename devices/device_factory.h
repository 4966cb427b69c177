// Makes the device object of a device-type row: the mouse has its own class;
// the other kinds are device-base objects until theirs exist.
#pragma once

#include <memory>

#include "devices/zentrel_usb_device.h"

std::unique_ptr<CZentrelUSBDevice> MakeDeviceObject(int typeRow);
