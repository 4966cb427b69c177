// The fixed records the device logic works with, as read from and written to
// the sections of a profile document. 8-bit fields take the low 8 bits of the
// stored integer, 16-bit fields the low 16 bits.
#pragma once

#include <cstdint>
#include <vector>

// "LightInfo": the selected lighting effect.
struct LightInfo {
    uint8_t selectItem = 0;   // "SelectItem"
    uint8_t light = 0;        // "Light": brightness level
    uint8_t speed = 0;        // "Speed": speed level
    uint8_t fx = 0;           // "Fx": direction, 0 or 1
    uint8_t multiColor = 0;   // "MultiColor": read as a boolean, written 0 or 1
    uint8_t red = 0;          // "Red"
    uint8_t green = 0;        // "Green"
    uint8_t blue = 0;         // "Blue"
    uint8_t zzccLedMode = 0;  // "ZZCCLedMode"
    uint8_t customGroup = 0;  // "CustomGroup"
    uint8_t oldLedMode = 0;   // "OldLedmode"
    bool operator==(const LightInfo&) const = default;
};

// "AudioLightInfo" (keyboard): music-reactive lighting.
struct AudioLightInfo {
    uint8_t audioMode = 0;       // "AudioMode"
    uint8_t bkColorR = 0;        // "BkColorR"
    uint8_t bkColorG = 0;        // "BkColorG"
    uint8_t bkColorB = 0;        // "BkColorB"
    uint8_t fgColorR = 0;        // "FgColorR"
    uint8_t fgColorG = 0;        // "FgColorG"
    uint8_t fgColorB = 0;        // "FgColorB"
    uint8_t sevenColorFlags = 0; // "7ColorFlags" (boolean)
    uint8_t colorTypeFlags = 0;  // "ColorTypeFlags" (boolean; 1 whenever the section is read)
    bool operator==(const AudioLightInfo&) const = default;
};

// One element of "LightList": an effect for one LED zone.
struct LightListItem {
    uint8_t mode = 0;        // "LEDREGMode"
    uint8_t brightness = 0;  // "LEDBrightness"
    uint8_t speed = 0;       // "LEDSpeed"
    uint8_t direction = 0;   // "LEDDirection" (boolean)
    uint8_t multiColor = 0;  // "LEDMultiColor" (boolean)
    uint8_t red = 0;         // "red"
    uint8_t green = 0;       // "green"
    uint8_t blue = 0;        // "blue"
    uint8_t valid = 0;       // 1 when the element is an object
    bool operator==(const LightListItem&) const = default;
};

// The function of one key: category and two parameters. On the device three
// bytes (category, param1, param2); in a profile one integer
// category << 16 | param1 << 8 | param2.
#pragma pack(push, 1)
struct KeyAssignment {
    uint16_t keyIndex = 0;  // the key's index in the key list (a row id in the code tables)
    uint8_t category = 0;
    uint8_t param1 = 0;
    uint8_t param2 = 0;
    uint8_t reserved = 0;
    // Equal functions: the key index and the reserved byte take no part.
    bool SameFunction(const KeyAssignment& o) const {
        return category == o.category && param1 == o.param1 && param2 == o.param2;
    }
    uint32_t Packed() const { return uint32_t{category} << 16 | uint32_t{param1} << 8 | param2; }
    static KeyAssignment FromPacked(uint16_t keyIndex, uint32_t packed) {
        return {keyIndex, static_cast<uint8_t>(packed >> 16), static_cast<uint8_t>(packed >> 8),
                static_cast<uint8_t>(packed), 0};
    }
};

// The current and the default function of one key.
struct KeyEntry {
    KeyAssignment current;
    KeyAssignment defaultAssignment;  // "DefaultAssignment"
};
#pragma pack(pop)
static_assert(sizeof(KeyAssignment) == 6, "a key assignment is 6 packed bytes");
static_assert(sizeof(KeyEntry) == 12, "a key entry is 12 packed bytes");

// One element of "DPIStages"."StageDPIs".
struct DpiStage {
    uint8_t enabled = 0;  // "StageActive"
    uint8_t xy = 0;       // "StageXY"
    uint16_t x = 0;       // "StageDPIX": level code
    uint16_t y = 0;       // "StageDPIY"
    uint8_t red = 0;      // "StageColorR"
    uint8_t green = 0;    // "StageColorG"
    uint8_t blue = 0;     // "StageColorB"
    bool operator==(const DpiStage&) const = default;
};

// "SystemStages" (first five) and "ReportStages" (the other nine) of the mouse.
struct MouseSystem {
    uint16_t doubleClickTime = 0;    // "DoubleClickTime"
    uint16_t mouseSpeed = 0;         // "MouseSpeed"
    uint16_t pointerPrecision = 0;   // "PointerPrecision"
    uint16_t scrollPage = 0;         // "ScorllPage"
    uint16_t wheelScrollLines = 0;   // "WheelScorlllinse"
    uint16_t reportRate = 0;         // "ReportStages"."StageActive"
    uint16_t silentAltitude = 0;     // "SilentAltitude"
    uint16_t linearCalibration = 0;  // "Linear_Calibration"
    uint16_t ripple = 0;             // "Ripple"
    uint16_t bleSleep1 = 0;          // "ble_sleep1"
    uint16_t bleSleep2 = 0;          // "ble_sleep2"
    uint16_t deviceSleep1 = 0;       // "device_sleep1"
    uint16_t deviceSleep2 = 0;       // "device_sleep2"
    uint16_t keyDebounceTime = 0;    // "key_debounce_time"
    bool operator==(const MouseSystem&) const = default;
};

// "SystemStages" of the keyboard.
struct KeyboardSystem {
    uint16_t repeat = 0;       // "Repeat"
    uint16_t repeatDelay = 0;  // "RepeatDelay"
    uint16_t key6Flag = 0;     // "Key6Flag"
    uint16_t pollingRate = 0;  // "PollingRate"
    uint16_t wFlag = 0;        // "WFlag"
    uint16_t winFlag = 0;      // "WinFlag"
    bool operator==(const KeyboardSystem&) const = default;
};

// "SystemSetStages" of the headset.
struct HeadsetSystem {
    int32_t magicEnable = 0;         // "MagicEnable"
    int32_t magicType = 0;           // "MagicType"
    int32_t eqType = 0;              // "EqType"
    int32_t customEqSelectIndex = 0; // "CustomEqSeletIndex"
    int32_t micInSelect = 0;         // "MicInSelect"
    int32_t micInValue = 0;          // "MicInValue"
    int32_t micMonitorSelect = 0;    // "MicMoniterSelect"
    int32_t micMonitorValue = 0;     // "MicMoniterValue"
    bool operator==(const HeadsetSystem&) const = default;
};

// One key colour of a "CustomLightMode" group.
struct CustomColor {
    uint8_t red = 0, green = 0, blue = 0, alpha = 0;
    bool operator==(const CustomColor&) const = default;
};

// One step of a custom effect (".light" files, "LEDEffectList").
struct EffectStep {
    uint8_t mode = 0;        // "LEDREGMode"
    uint8_t brightness = 0;  // "LEDBrightness"
    uint8_t speed = 0;       // "LEDSpeed"
    uint8_t direction = 0;   // "LEDDirection"
    uint8_t multiColor = 0;  // "LEDMultiColor"
    uint8_t red = 0;         // "red"
    uint8_t green = 0;       // "green"
    uint8_t blue = 0;        // "blue"
    int32_t time = 0;        // "Time"
    int32_t cycle = 0;       // "Cyle"
    bool operator==(const EffectStep&) const = default;
};
