// The key table sent to a mouse or keyboard: three bytes (category, param1,
// param2) per device position, built from the key list. Macro assignments carry
// a device slot instead of the library index, stale macros are sent as the
// key's default, and positions no key maps to keep the device's last known bytes.
// The macro block is sent in the slot order this walk gives (MacroSlotOrder).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "profiles/profile_records.h"

inline constexpr uint8_t kMouseNoPosition = 0xAA;     // the mouse's button map
inline constexpr uint8_t kKeyboardNoPosition = 0xFF;  // the keyboard's position map

// Where the keys of a key list sit on the device.
struct KeyPositions {
    std::span<const uint8_t> map;     // position of key i; keys beyond the map have none
    uint8_t none = kMouseNoPosition;  // the mark of a key without a position
    size_t count = 0;                 // positions the device reports (its key slots)
    // The key's position; none when it is marked, missing or beyond the device's count.
    std::optional<size_t> Of(size_t key) const;
};

// One key as it is placed in the table.
struct PlacedKey {
    size_t key = 0;       // index in the key list
    size_t position = 0;  // position on the device
    KeyAssignment sent;   // the record after the macro rewrites
};

// The walk over the key list, in key-list order, skipping keys without a position.
struct KeyTablePlan {
    std::vector<int> macroSlots;  // library index of each slot, in slot order
    std::vector<PlacedKey> placed;
};

// `macroCount`: the number of macros in the library; a macro index at or above
// it is stale.
KeyTablePlan PlanKeyTable(std::span<const KeyEntry> keys, const KeyPositions& positions,
                          size_t macroCount);

// The library indices of the macros to send, in slot order.
std::vector<int> MacroSlotOrder(std::span<const KeyEntry> keys, const KeyPositions& positions,
                                size_t macroCount);

// The table image, positions.count × 3 bytes: the device's last known table
// (zeros where it is shorter) with every placed key's three bytes over it.
std::vector<uint8_t> BuildKeyTableImage(std::span<const KeyEntry> keys,
                                        const KeyPositions& positions, size_t macroCount,
                                        std::span<const uint8_t> lastKnown);
