// DPI level codes (what the sensor takes and the profile keeps) and the DPI
// values a user reads, by sensor.
#pragma once

#include <cstdint>

inline constexpr uint16_t kSensor3104 = 0x3104;
inline constexpr uint16_t kSensor3325 = 0x3325;
inline constexpr uint16_t kSensor8925 = 0x8925;
inline constexpr int kDpiTextMin = 0;
inline constexpr int kDpiTextMax = 10000;

struct DpiParams {
    uint16_t sensor = 0;        // information bytes 9-10
    uint8_t step = 0;           // byte 11
    uint16_t highestLevel = 0;  // bytes 12-13
    uint16_t base = 0;          // bytes 14-15
};

DpiParams DpiParamsFromInfo(const uint8_t* info34);

// The DPI shown for a level, and the level for a typed DPI (never below 0).
int DpiFromLevel(const DpiParams& p, int level);
int LevelFromDpi(const DpiParams& p, int dpi);

// The slider range of the stage levels; `fromLayout` when the sensor keeps the
// range the page layout gives.
struct LevelRange {
    int min = 0, max = 0;
    bool fromLayout = false;
};
LevelRange DpiLevelRange(const DpiParams& p);

// Whether an edit changes the stored level of a stage on this sensor, and how
// the level goes into the stage's X field (0x8925: one byte in both b2 and b3).
bool SensorTakesLevelEdits(uint16_t sensor);
uint16_t StageFieldFor(uint16_t sensor, int level);
// The level a stage's X field shows (0x8925: b2; others b2 + 256 × b3).
int LevelOfStageField(uint16_t sensor, uint16_t x);
