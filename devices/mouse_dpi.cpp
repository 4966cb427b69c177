#include "devices/mouse_dpi.h"

#include <algorithm>

DpiParams DpiParamsFromInfo(const uint8_t* info) {
    DpiParams p;
    p.sensor = static_cast<uint16_t>(info[9] | (info[10] << 8));
    p.step = info[11];
    p.highestLevel = static_cast<uint16_t>(info[12] | (info[13] << 8));
    p.base = static_cast<uint16_t>(info[14] | (info[15] << 8));
    return p;
}

int DpiFromLevel(const DpiParams& p, int level) {
    switch (p.sensor) {
        case kSensor3104: {
            int dpi;
            if (level <= 0) {
                dpi = 200;
            } else if (level == 1) {
                dpi = 400;
            } else if (level <= 52) {
                dpi = 400 + (level - 2) * 50;
            } else {
                dpi = 3000 + (level - 54) * 100;
            }
            return std::min(dpi, 8000);
        }
        case kSensor3325:
            if (level <= 48) return p.step * level + p.base;
            return p.step * 48 + (level - 48) * 200 + p.base;
        case kSensor8925:
            if (level <= 99) return 50 * level + 50;
            return 100 * (level - 50) + 100;
        default:
            return p.step * level + p.base;
    }
}

int LevelFromDpi(const DpiParams& p, int dpi) {
    int level;
    switch (p.sensor) {
        case kSensor3104:
            if (dpi <= 350) {
                level = 0;
            } else if (dpi < 450) {
                level = 1;
            } else if (dpi <= 2600) {
                level = (dpi - 400) / 50 + 2;
            } else {
                level = (dpi - 3000) / 100 + 54;
            }
            break;
        case kSensor3325:
            // A block without a DPI step gives no levels rather than a division by zero.
            if (p.step == 0) return 0;
            level = dpi <= 5000 ? (dpi - p.base) / p.step : (dpi - p.base - 5000) / 200 + 48;
            break;
        case kSensor8925:
            level = dpi <= 5000 ? (dpi - 50) / 50 : (dpi / 2 - 50) / 50 + 50;
            break;
        default:
            if (p.step == 0) return 0;
            level = (dpi - p.base) / p.step;
            break;
    }
    return std::max(level, 0);
}

LevelRange DpiLevelRange(const DpiParams& p) {
    if (p.sensor == kSensor8925) return {0, 149, false};
    if (p.sensor == kSensor3104) return {0, p.highestLevel, false};
    return {0, 0, true};
}

bool SensorTakesLevelEdits(uint16_t sensor) { return sensor == kSensor8925 || sensor == kSensor3104; }

uint16_t StageFieldFor(uint16_t sensor, int level) {
    const auto l = static_cast<uint16_t>(std::clamp(level, 0, 0xFFFF));
    if (sensor == kSensor8925) {
        const auto b = static_cast<uint8_t>(l);
        return static_cast<uint16_t>(b | (b << 8));
    }
    return l;
}

int LevelOfStageField(uint16_t sensor, uint16_t x) { return sensor == kSensor8925 ? (x & 0xFF) : x; }
