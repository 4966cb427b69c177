// The key of one supported HID interface: which device it belongs to, how it
// is connected, and which of its interfaces it is.
#pragma once

#include <cstdint>
#include <string>

struct DeviceIdentity {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;
    uint16_t collectionNumber = 0;
    uint16_t deviceType = 0;  // 1 keyboard, 9 keyboard by receiver, 2 mouse, 6 mouse by receiver, 3 pad, 7 headset
    uint16_t role = 0;        // 0 command interface, 255 companion interface
    uint16_t inUse = 0;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t hasPartner = 0;
    uint16_t partnerIndex = 0;
    std::string path;

    // Equal identities: in use, the partner fields and the path take no part.
    bool operator==(const DeviceIdentity& o) const {
        return vendorId == o.vendorId && productId == o.productId &&
               interfaceNumber == o.interfaceNumber && collectionNumber == o.collectionNumber &&
               deviceType == o.deviceType && role == o.role && usagePage == o.usagePage &&
               usage == o.usage;
    }
};
