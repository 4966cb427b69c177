// The event blocks the mouse and keyboard receive: the macro block (the macros
// keys use, in slot order) and the mouse's firing block (four patterns in gun
// order). Both have one layout, little-endian:
//   u16 magic 0x55AA, u16 total length, u16 record count n, 10 reserved bytes
//   (zero), n × u16 record offsets, then per record: u16 event count c,
//   2 reserved bytes (zero), c events of 4 bytes (u16 delay, code byte, button).
// Total length = 16 + 6n + 4 × (all events).
#pragma once

#include <json/json.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "link/device_link.h"

inline constexpr size_t kEventBlockHeaderSize = 16;
inline constexpr size_t kEventRecordHeaderSize = 4;
inline constexpr size_t kEventBlockEventSize = 4;
inline constexpr size_t kMaxDeviceMacroEvents = 64;
inline constexpr size_t kMacroCapacityUnit = 128;  // bytes per unit of information byte 18
inline constexpr size_t kMacroCapacityInfoByte = 18;
inline constexpr size_t kFiringPatternCount = 4;
inline constexpr size_t kMaxEventBlockLength = 0xFFFF;  // the u16 length field

struct BlockEvent {
    uint16_t delay = 0;
    uint8_t code = 0;    // "Type", bit 7 set for "down"
    uint8_t button = 0;
    bool operator==(const BlockEvent&) const = default;
};

// One event object as the device gets it: "Delay" read as decimal text (the
// integer 0 reads as "0"), its low 16 bits; "Type" with bit 7 set when
// "Action" is "down"; "Button".
BlockEvent DeviceEvent(const Json::Value& event);

// The length of a block holding records of these event counts.
size_t EventBlockLength(std::span<const size_t> eventCounts);

// Packs the records (each a JSON array of event objects; anything else counts
// as no events; an element that is not an object, or a member of the wrong
// type, packs as zeros). Empty when the block would be longer than its 16-bit
// length field can say; no other limit is checked here.
std::vector<uint8_t> PackEventBlock(std::span<const Json::Value> records);

// The macro block of these macros (each its "Events" array, in slot order).
// Returns 0 with the block in `block` (left empty when there are no macros:
// nothing to send); the event count of the first macro with more than 64
// events; or, when the block is larger than capacityUnits × 128 bytes,
// (total − capacity) / 4 + 1. On a refusal `block` is empty.
int EncodeMacroBlock(std::span<const Json::Value> macros, uint8_t capacityUnits,
                     std::vector<uint8_t>& block);

// EncodeMacroBlock for the library in `folder` and the library indices in slot
// order (MacroSlotOrder). Nothing to send (0, empty block) when the list is
// empty or "macro.config" cannot be read.
int EncodeLibraryMacroBlock(const std::string& folder, std::span<const int> slotOrder,
                            uint8_t capacityUnits, std::vector<uint8_t>& block);

// The firing block: the four patterns in gun order (no capacity check; empty
// when longer than 65535 bytes).
std::vector<uint8_t> EncodeFiringBlock(std::span<const Json::Value, kFiringPatternCount> patterns);

// Sends a block in a transfer bracket: OpenTransfer, then WriteMacroData or
// WriteShootData, then CloseTransfer. The command results are not examined;
// a caller with a reachability rule sends the steps itself.
void SendMacroBlockInBracket(DeviceLink& link, std::span<const uint8_t> block);

// The macro block with a device's reachability rule; both return 0 when the
// bracket was sent through and the device took the block, −1 when it refused
// or lost the block, or (mouse) a check failed.
// Mouse: each of OpenTransfer, WriteMacroData and CloseTransfer only while
// `reachable` answers true; a failed check skips the rest (−1).
int SendMacroBlockWhileReachable(DeviceLink& link, std::span<const uint8_t> block,
                                 const std::function<bool()>& reachable);
// Keyboard: OpenTransfer and WriteMacroData while the command link is open
// (0 when it is not), CloseTransfer always.
int SendMacroBlockWhileOpen(DeviceLink& link, std::span<const uint8_t> block);
void SendFiringBlockInBracket(DeviceLink& link, std::span<const uint8_t> block);
