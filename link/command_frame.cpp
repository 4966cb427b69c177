#include "link/command_frame.h"

#include <algorithm>
#include <cstdio>

uint16_t FrameChecksum(const uint8_t* frame) {
    unsigned sum = 0;
    for (size_t i = kFrameCommandByte; i < kFrameSize; ++i) sum += frame[i];
    return static_cast<uint16_t>(sum & 0xFFFFu);
}

void SetFrameChecksum(uint8_t* frame) {
    const uint16_t sum = FrameChecksum(frame);
    frame[1] = static_cast<uint8_t>(sum & 0xFF);
    frame[2] = static_cast<uint8_t>(sum >> 8);
}

void BuildFrame(CommandFrame& frame, uint8_t command, uint8_t length, uint16_t offset,
                const uint8_t* payload, size_t payloadLength) {
    std::fill(frame.begin() + 1, frame.end(), uint8_t{0});
    frame[0] = kFrameReportId;
    frame[kFrameCommandByte] = command;
    RefillFrame(frame, length, offset, payload, payloadLength);
}

void RefillFrame(CommandFrame& frame, uint8_t length, uint16_t offset, const uint8_t* payload,
                 size_t payloadLength) {
    frame[kFrameLengthByte] = length;
    frame[kFrameOffsetLowByte] = static_cast<uint8_t>(offset & 0xFF);
    frame[kFrameOffsetHighByte] = static_cast<uint8_t>(offset >> 8);
    frame[kFrameStatusByte] = 0;
    const size_t n = std::min(payloadLength, kFrameMaxPayload);
    if (payload && n > 0) std::copy_n(payload, n, frame.begin() + kFramePayloadOffset);
    SetFrameChecksum(frame.data());
}

std::string FormatTraceLine(const uint8_t* b) {
    char line[160];
    std::snprintf(line, sizeof line,
                  "%02x %02x %02x %02x   %02x %02x %02x %02x   %02x %02x %02x %02x   "
                  "%02x %02x %02x %02x  %02x %02x %02x %02x  %02x %02x %02x %02x  "
                  "%02x %02x %02x %02x  %02x %02x %02x %02x",
                  b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12],
                  b[13], b[14], b[15], b[16], b[17], b[18], b[19], b[20], b[21], b[22], b[23],
                  b[24], b[25], b[26], b[27], b[28], b[29], b[30], b[31]);
    return line;
}
