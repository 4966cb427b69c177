// The macro and firing-pattern blocks as the device firmware reads them:
//   u16 magic 0x55AA, u16 total length, u16 record count n, 10 reserved bytes,
//   n × u16 record offsets, then the records: u16 event count c, 2 reserved
//   bytes, c events of 4 bytes (u16 delay, event code byte, button byte).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct SimEvent {
    uint16_t delay = 0;
    uint8_t code = 0;    // bit 7 set for "down"
    uint8_t button = 0;
    bool operator==(const SimEvent&) const = default;
};

struct SimDecodedBlock {
    bool valid = false;
    std::string error;  // why the firmware rejected the block
    std::vector<std::vector<SimEvent>> records;
};

// Decodes a block from the start of `data` (the area the host wrote, `size`
// bytes). `expectedRecords` < 0 accepts any count (macros); the firing block
// holds exactly 4.
SimDecodedBlock DecodeEventBlock(const uint8_t* data, size_t size, int expectedRecords);
