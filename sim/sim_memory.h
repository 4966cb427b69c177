// What a simulated device keeps in its memory, and its factory contents.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class SimKind { Mouse, Keyboard, MousePad, Headset };

const char* SimKindName(SimKind kind);  // "mouse", "keyboard", "mousepad", "headset"
bool SimKindFromName(const std::string& name, SimKind& kind);

// Byte positions in the 34-byte information block.
inline constexpr size_t kSimInfoSize = 34;
inline constexpr size_t kSimInfoKeySlots = 5;
inline constexpr size_t kSimInfoHostFlag = 7;
inline constexpr size_t kSimInfoSensorId = 9;        // u16
inline constexpr size_t kSimInfoDpiStep = 11;
inline constexpr size_t kSimInfoHighestLevel = 12;   // u16
inline constexpr size_t kSimInfoDpiBase = 14;        // u16
inline constexpr size_t kSimInfoMacroCapacity = 18;  // × 128 bytes

inline constexpr size_t kSimKeyTableSize = 512;
inline constexpr size_t kSimLightBlockSize = 512;
inline constexpr size_t kSimLightBlocks = 8;
inline constexpr size_t kSimStatusSize = 6;
inline constexpr size_t kSimShootCapacity = 2048;
inline constexpr size_t kSimHeadsetLightReport = 17;

// Values a configuration may set; the rest of the memory follows from the kind.
struct SimOptions {
    uint16_t sensorId = 0x3104;  // mouse
    int keySlots = -1;           // -1: the kind's factory count; above 170 the table cannot hold them
    uint8_t macroCapacity = 32;  // information byte 18 (× 128 bytes)
    uint8_t hostFlag = 0;        // information byte 7 at the factory
    uint8_t battery = 85;        // percent
    uint8_t charging = 0;        // 0, 1 or 2
    uint8_t phoneType = 0;       // mouse pad: 1 iPhone, 2 Samsung, 3 other
    uint16_t firmwareVersion = 0x0126;
    int profiles = 4;
};

struct SimMemory {
    std::array<uint8_t, kSimInfoSize> info{};
    std::vector<uint8_t> settings;     // the settings area of every profile
    std::vector<uint8_t> keyTable;     // 512 bytes: 3 per key slot
    std::vector<uint8_t> ledMap;       // 512 bytes: the LED of each key slot
    std::vector<uint8_t> lightTables;  // kSimLightBlocks blocks of 512 bytes
    std::vector<uint8_t> macroData;    // macro capacity bytes
    std::vector<uint8_t> shootData;    // kSimShootCapacity bytes
    std::array<uint8_t, kSimStatusSize> status{};
    std::vector<uint8_t> lightFrame;   // the last live light frame (512 bytes)
    // Headset: the last light report of each group (0x22, 0x44) and selector (0xAA-0xAF).
    std::vector<std::vector<uint8_t>> lightReports;
    uint16_t firmwareVersion = 0x0126;
    int profiles = 4;
};

// Factory memory of a device of this kind.
SimMemory FactoryMemory(SimKind kind, const SimOptions& options);

// Layout of the settings area of a kind: where the profile blocks lie.
struct SimSettingsLayout {
    size_t areaSize;
    size_t readStride;   // profile p is read at p × readStride
    size_t readLength;
    size_t writeStride;  // and written at p × writeStride
    size_t writeLength;
};
SimSettingsLayout SettingsLayout(SimKind kind);
