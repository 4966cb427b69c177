// The 64-byte command frame: report id 4, checksum in bytes 1-2 (sum of bytes
// 3-63, low 16 bits, little-endian), command, length, offset (low byte first),
// status 0, payload from byte 8.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr size_t kFrameSize = 64;
inline constexpr size_t kFramePayloadOffset = 8;
inline constexpr size_t kFrameMaxPayload = kFrameSize - kFramePayloadOffset;  // 56
inline constexpr uint8_t kFrameReportId = 4;

inline constexpr size_t kFrameCommandByte = 3;
inline constexpr size_t kFrameLengthByte = 4;
inline constexpr size_t kFrameOffsetLowByte = 5;
inline constexpr size_t kFrameOffsetHighByte = 6;
inline constexpr size_t kFrameStatusByte = 7;

inline constexpr uint8_t kReplyReceiverUnreachable = 0xAA;  // in byte 3, instead of the echo
inline constexpr uint8_t kReplyStatusRefused = 0xFF;
inline constexpr uint8_t kReplyStatusBusy = 0xFE;

using CommandFrame = std::array<uint8_t, kFrameSize>;

// Sum of bytes 3-63 kept to 16 bits.
uint16_t FrameChecksum(const uint8_t* frame);
// Stores the checksum in bytes 1 and 2.
void SetFrameChecksum(uint8_t* frame);

// Clears bytes 1-63 and fills a frame; payloadLength bytes are copied from
// byte 8 (at most 56). Used for the first frame of a command.
void BuildFrame(CommandFrame& frame, uint8_t command, uint8_t length, uint16_t offset,
                const uint8_t* payload, size_t payloadLength);

// Refills a frame that is reused for the next chunk of the same command: only
// length, offset and the chunk's payload bytes change, so a shorter last chunk
// leaves the previous chunk's bytes behind its own (and the checksum covers them).
void RefillFrame(CommandFrame& frame, uint8_t length, uint16_t offset, const uint8_t* payload,
                 size_t payloadLength);

// The two trace lines of 32 bytes each, in the program's debug format.
std::string FormatTraceLine(const uint8_t* bytes32);
