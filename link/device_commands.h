// The device command set: one free function per command, over a DeviceLink.
// Each exchanges its frames through Transact (StreamLight: TransactQuiet),
// holding the link's command lock (commands 11 and 18: the light lock) around
// every single frame. Results: the transaction's code when it is not 1, else
// -102 for reply status 0xFF, -103 for 0xFE, 1 otherwise. A multi-frame
// command stops at the first frame that does not give 1.
#pragma once

#include <cstddef>
#include <cstdint>

#include "link/device_link.h"

enum DeviceCommand : uint8_t {
    kCmdOpenTransfer = 1,
    kCmdCloseTransfer = 2,
    kCmdReadInfoBlock = 3,
    kCmdWriteInfoBlock = 4,
    kCmdReadSettings = 5,
    kCmdWriteSettings = 6,
    kCmdReadKeyTable = 7,
    kCmdWriteKeyTable = 9,
    kCmdReadLightTable = 10,
    kCmdWriteLightTable = 11,
    kCmdStreamLight = 18,
    kCmdWriteMacroData = 21,
    kCmdWriteShootData = 23,
    kCmdReadStatus = 26,
    kCmdReadLedMap = 27,
    kCmdEnterLightControl = 28,
    kCmdQueryWireless = 0xAA,
};

inline constexpr size_t kInfoBlockSize = 34;
inline constexpr size_t kInfoKeySlotsByte = 5;
inline constexpr size_t kInfoHostFlagByte = 7;
inline constexpr uint16_t kKeyTableBlockSize = 512;
inline constexpr uint8_t kShootChunkSize = 56;

int OpenTransfer(DeviceLink& link);
int CloseTransfer(DeviceLink& link);  // pauses 10 ms before it takes the lock
// Copies all 34 bytes into destination only after the last chunk succeeded.
int ReadInfoBlock(DeviceLink& link, uint8_t* destination);
int WriteInfoBlock(DeviceLink& link, const uint8_t* source);  // one frame of 34 bytes
int ReadSettings(DeviceLink& link, uint8_t* destination, size_t total, uint16_t base);
int WriteSettings(DeviceLink& link, const uint8_t* source, size_t total, uint16_t base);
// The key table is the link's table length long.
int ReadKeyTable(DeviceLink& link, uint8_t* destination);
// -201 without any I/O when block is not 0.
int WriteKeyTable(DeviceLink& link, const uint8_t* source, int block);
int ReadLightTable(DeviceLink& link, uint8_t* destination, size_t total, int block,
                   size_t blockSize);
int WriteLightTable(DeviceLink& link, const uint8_t* source, size_t total, int block,
                    size_t blockSize);
// Live light frames: a chunk is skipped (and counts as sent) while the link is busy.
int StreamLight(DeviceLink& link, const uint8_t* source, size_t total);
int WriteMacroData(DeviceLink& link, const uint8_t* source, size_t total);
// Always in chunks of 56 bytes, whatever the link's chunk size.
int WriteShootData(DeviceLink& link, const uint8_t* source, size_t total);
int ReadStatus(DeviceLink& link, uint8_t* destination, uint8_t count, uint16_t offset);
// table length / 3 bytes, one per key slot.
int ReadLedMap(DeviceLink& link, uint8_t* destination);
int EnterLightControl(DeviceLink& link);
// True without I/O on the cable; through the receiver true only when the device
// answered with 0xFF in byte 8.
bool QueryWireless(DeviceLink& link);
