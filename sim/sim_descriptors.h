// Report descriptors of the simulated devices' USB interfaces. Each device
// (and each receiver) has two HID interfaces:
//   interface 1: the command collection (vendor page 0xFF1C, usage 0x92,
//                report id 4, 64-byte input and output reports) after the
//                ordinary collections such a device also has;
//   interface 0: keyboard/mouse collections and, third, the consumer
//                collection (report id 3) that carries the companion events.
// The headset has one interface (3) with a single consumer collection that
// carries the command reports and the 17-byte light reports (report id 0xFF).
#pragma once

#include <cstdint>
#include <vector>

#include "sim/sim_memory.h"

inline constexpr uint8_t kSimCommandReportId = 4;
inline constexpr uint8_t kSimCompanionReportId = 3;
inline constexpr uint8_t kSimHeadsetLightReportId = 0xFF;

std::vector<uint8_t> SimCommandNodeDescriptor(SimKind kind);
std::vector<uint8_t> SimCompanionNodeDescriptor(SimKind kind);

// The top-level collection number of the command and companion collections
// on their nodes (0 when the node has a single collection).
uint16_t SimCommandCollection(SimKind kind);
uint16_t SimCompanionCollection(SimKind kind);
uint16_t SimCommandInterface(SimKind kind);
