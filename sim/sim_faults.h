// Faults a test (or the demo) can set on one simulated interface.
#pragma once

#include <cstdint>
#include <vector>

struct SimRefusal {
    uint8_t command = 0;
    int frame = 0;          // which frame of this command (0 = the next one); -1 every frame
    uint8_t status = 0xFF;  // 0xFF or 0xFE; the device does not apply the refused frame
};

struct SimFaults {
    bool noReply = false;        // frames are taken but never answered (reads time out)
    int wrongEchoes = 0;         // this many replies echo a wrong command byte
    std::vector<SimRefusal> refusals;
    bool failWrites = false;     // writes fail at once
    bool stallWrites = false;    // writes never complete (they fail at their timeout)
    int unplugAfterFrames = -1;  // the device is unplugged after this many more frames
    int replyDelayMs = 0;        // replies come this much later
};
