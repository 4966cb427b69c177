// The supported devices as data: the interfaces the program looks for, the
// device types, the device pages and the update models.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "link/device_identity.h"

struct InterfaceRow {
    uint16_t vendorId, productId, interfaceNumber, collectionNumber;
    uint16_t deviceType, role, usagePage, usage, hasPartner, partnerIndex;
};
inline constexpr size_t kInterfaceCount = 11;
extern const std::array<InterfaceRow, kInterfaceCount> kInterfaceTable;

struct DeviceTypeRow {
    const char* name;  // also the device's folder name
    uint16_t vendorId, productId;
    int cableType;
    int libraryRow;
};
inline constexpr const char* kDeviceEntryLayout = "XML\\CustomControlXML\\DeviceOption.xml";
inline constexpr const char* kDeviceTabHeader = "tab_header_device";
inline constexpr const char* kDevicePowerContainer = "device_power_switch";
extern const std::array<DeviceTypeRow, 4> kDeviceTypeTable;

struct DevicePageRow {
    const char* layout;
    const char* library;
    int leds, keys, wireless, fourth;
};
extern const std::array<DevicePageRow, 4> kDevicePageTable;

struct ModelRow {
    int kind, listed, third;
    const char* brand;
    const char* target;
    const char* group;
    const char* groupShown;
    const char* version;  // empty, or (last row) the application's version text
};
extern const std::array<ModelRow, 4> kModelTable;

// The working copy of the interface table: every entry free.
std::vector<DeviceIdentity> MakeInterfaceList();

// The cable type of a device type: 2 for the mouse (2, 6), 1 for the keyboard (1, 9).
int CableTypeOf(int deviceType);
bool IsReceiverType(int deviceType);
// The device-type row of a device, or -1.
int FindDeviceTypeRow(uint16_t vendorId, uint16_t productId, int cableType);
