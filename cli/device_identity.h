// Which of the supported devices a set of HID interfaces makes up. Only the
// command interfaces count: the vendor collection (usage page 0xFF1C, usage
// 0x92) of the 0x320F devices and interface 3 of the headset.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What enumeration learnt of one interface it could open.
struct ProbedInterface {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    std::string path;
};

struct FoundDevice {
    std::string kind;        // "mouse", "keyboard", "mousepad", "headset"
    std::string connection;  // "cable", "receiver", "both"
    uint16_t vendorId = 0;   // of the cable when connected both ways
    uint16_t productId = 0;
    std::string cablePath;     // the command interfaces' paths; empty when absent
    std::string receiverPath;
};

bool IsCommandInterface(const ProbedInterface& probed);

// Groups the command interfaces, in the order given, into devices: a mouse or
// keyboard seen by cable and through its receiver is one device ("both"). The
// keyboard and its receiver share their ids: its first command interface is
// taken for the cable, the second for the receiver. Devices come out in the
// order mouse, keyboard, mouse pad, headset.
std::vector<FoundDevice> IdentifyDevices(const std::vector<ProbedInterface>& interfaces);
