#include "link/supported_devices.h"

const std::array<InterfaceRow, kInterfaceCount> kInterfaceTable = {{
    {0x320F, 0x0000, 1, 4, 1, 0, 0xFF1C, 0x92, 1, 2},
    {0x320F, 0x0000, 0, 3, 1, 255, 0x000C, 0x01, 1, 3},
    {0x320F, 0x0000, 1, 4, 9, 0, 0xFF1C, 0x92, 1, 0},
    {0x320F, 0x0000, 0, 3, 9, 255, 0x000C, 0x01, 1, 1},
    {0x320F, 0x226E, 1, 2, 2, 0, 0xFF1C, 0x92, 1, 6},
    {0x320F, 0x226E, 0, 3, 2, 255, 0x000C, 0x01, 1, 7},
    {0x320F, 0x226F, 1, 2, 6, 0, 0xFF1C, 0x92, 1, 4},
    {0x320F, 0x226F, 0, 3, 6, 255, 0x000C, 0x01, 1, 5},
    {0x320F, 0x1004, 1, 4, 3, 0, 0xFF1C, 0x92, 0, 0},
    {0x320F, 0x1004, 0, 3, 3, 255, 0x000C, 0x01, 0, 0},
    {0x0C76, 0x1630, 3, 0, 7, 0, 0x000C, 0x01, 0, 0},
}};

const std::array<DeviceTypeRow, 4> kDeviceTypeTable = {{
    {"mouse", 0x320F, 0x226E, 2, 1},
    {"keyboard", 0x320F, 0x0000, 1, 0},
    {"MousePad", 0x320F, 0x1004, 3, 2},
    {"HD", 0x0C76, 0x1630, 7, 3},
}};

const std::array<DevicePageRow, 4> kDevicePageTable = {{
    {"XML\\DeviceXml\\mousedevice.xml", "ozmar_light", 15, 11, 1, -1},
    {"XML\\DeviceXml\\keyboarddevice.xml", "ozmar_light", 170, 170, 0, -1},
    {"XML\\DeviceXml\\mousepaddevice.xml", "ozmar_light", 15, 0, 0, -1},
    {"XML\\DeviceXml\\hs6533device.xml", "ozmar_light", 13, 0, 0, -1},
}};

const std::array<ModelRow, 4> kModelTable = {{
    {1, 1, 0, "OZMAR", "TR28Q31C", "MS", "MS", ""},
    {1, 1, 0, "OZMAR", "TR28Q30C", "KB", "KB", ""},
    {2, 1, 0, "OZMAR", "TR28Q23C_1", "M47", "M47", ""},
    {0, 1, 0, "OZMAR", "ALL", "M47_BX2_BX1", "AP", R730_VERSION_TEXT},
}};

std::vector<DeviceIdentity> MakeInterfaceList() {
    std::vector<DeviceIdentity> list;
    for (const InterfaceRow& r : kInterfaceTable) {
        DeviceIdentity id;
        id.vendorId = r.vendorId;
        id.productId = r.productId;
        id.interfaceNumber = r.interfaceNumber;
        id.collectionNumber = r.collectionNumber;
        id.deviceType = r.deviceType;
        id.role = r.role;
        id.usagePage = r.usagePage;
        id.usage = r.usage;
        id.hasPartner = r.hasPartner;
        id.partnerIndex = r.partnerIndex;
        list.push_back(id);
    }
    return list;
}

int CableTypeOf(int deviceType) {
    if (deviceType == 2 || deviceType == 6) return 2;
    if (deviceType == 1 || deviceType == 9) return 1;
    return deviceType;
}

bool IsReceiverType(int deviceType) { return deviceType == 6 || deviceType == 9; }

int FindDeviceTypeRow(uint16_t vendorId, uint16_t productId, int cableType) {
    for (size_t i = 0; i < kDeviceTypeTable.size(); ++i) {
        const DeviceTypeRow& r = kDeviceTypeTable[i];
        if (r.vendorId == vendorId && r.productId == productId && r.cableType == cableType)
            return static_cast<int>(i);
    }
    return -1;
}
