// The firmware of one simulated device: it keeps the device memory and answers
// command frames as the device does. Thread-safe; the interfaces that reach it
// (its cable interface, its receiver) call it one frame at a time.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "sim/sim_blocks.h"
#include "sim/sim_memory.h"

inline constexpr size_t kSimFrameSize = 64;
using SimFrame = std::array<uint8_t, kSimFrameSize>;

struct SimFirmwareStats {
    int frames = 0;              // command frames handled
    int checksumErrors = 0;      // refused because the checksum did not match
    int refused = 0;             // answered with status 0xFF
    int transfersOpened = 0;     // command 1
    int transfersClosed = 0;     // command 2
    int lightControlEntered = 0; // command 28
};

class SimFirmware {
public:
    SimFirmware(SimKind kind, const SimOptions& options);

    SimKind Kind() const { return kind_; }

    // Answers one command frame (the 64 bytes as written, report id first).
    SimFrame Handle(const uint8_t* frame, size_t length);
    // Takes a headset light report (17 bytes starting 0xFF). False when it is not one.
    bool TakeLightReport(const uint8_t* report, size_t length);

    // The profile button: the next profile becomes active; returns the
    // companion event code the device sends for it (0x1000 | profile).
    uint16_t PressProfileButton();

    // Copies of the state, for tests and the state file.
    SimMemory Memory() const;
    void SetMemory(const SimMemory& memory);
    SimFirmwareStats Stats() const;
    bool TransferOpen() const;
    bool LightControl() const;
    // What the firmware understood of the last macro and firing blocks (decoded
    // when the transfer that wrote them was closed).
    SimDecodedBlock LastMacroBlock() const;
    SimDecodedBlock LastShootBlock() const;

    void SetBattery(uint8_t percent, uint8_t charging);
    void SetFirmwareVersion(uint16_t version);

private:
    // Locates a read or write of `length` bytes at `offset` in an area; null when
    // it runs past the end.
    uint8_t* Area(std::vector<uint8_t>& area, size_t offset, size_t length);
    bool Supports(uint8_t command) const;
    void DecodeWrittenBlocks();

    const SimKind kind_;
    mutable std::mutex mutex_;
    SimMemory memory_;
    SimFirmwareStats stats_;
    bool transferOpen_ = false;
    bool lightControl_ = false;
    bool macroWritten_ = false;
    bool shootWritten_ = false;
    size_t macroBytes_ = 0;  // highest byte written since the transfer opened
    size_t shootBytes_ = 0;
    SimDecodedBlock macroBlock_;
    SimDecodedBlock shootBlock_;
};
