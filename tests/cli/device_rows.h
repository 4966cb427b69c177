// What r730ctl says of one device, as a comparable row.
#pragma once

#include <ostream>
#include <string>
#include <vector>

struct DeviceRow {
    std::string kind, connection;
    int vendorId, productId;
    bool operator==(const DeviceRow&) const = default;
};

inline void PrintTo(const DeviceRow& e, std::ostream* os) {
    *os << e.kind << "/" << e.connection << "/" << std::hex << e.vendorId << ":" << e.productId;
}

inline const std::vector<DeviceRow> kAllFourByCable = {{"mouse", "cable", 0x320F, 0x226E},
                                                       {"keyboard", "cable", 0x320F, 0x0000},
                                                       {"mousepad", "cable", 0x320F, 0x1004},
                                                       {"headset", "cable", 0x0C76, 0x1630}};
