// The mouse's 86-byte profile block, as it is written to and read from the
// settings area (command 6 / 5 at profile × 128).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "profiles/profile_records.h"

inline constexpr size_t kMouseBlockSize = 86;
inline constexpr size_t kMouseBlockStride = 128;
inline constexpr size_t kMouseBlockStages = 7;
using MouseBlock = std::array<uint8_t, kMouseBlockSize>;

MouseBlock BuildMouseBlock(uint8_t firstByte, const LightInfo& light, const MouseSystem& system,
                           int activeStage, const std::vector<DpiStage>& stages);

// What the host takes back from a block read from the mouse.
struct MouseBlockValues {
    uint8_t effect = 0;  // byte 1, still the device's mode number
    uint8_t light = 0, speed = 0, multiColor = 0, red = 0, green = 0, blue = 0;
    uint8_t activeStage = 0;
    // reportRate, linearCalibration, ripple, keyDebounceTime and the four sleep
    // times; the lift-off distance (byte 82) is not taken back.
    MouseSystem system;
};
MouseBlockValues ReadMouseBlock(const MouseBlock& block);
