// A button function as `r730ctl mouse assign BUTTON FUNCTION…` names it: the
// words read and range-checked, and the record the key assignment editor
// builds from them for a key.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "devices/key_codes.h"
#include "profiles/profile_records.h"

struct ButtonFunction {
    FunctionType type = FunctionType::Default;
    int row = 0;            // the table row: button, dpi, media, system, shortcut; the gun
    int direction = 0;      // tilt 0 left, 1 right; wheel 0 up, 1 down
    int count = 0;          // tilt and wheel steps, fire shots, macro repeat count
    int speed = 0;          // tilt, wheel
    int delay = 0;          // tilt, wheel
    int interval = 0;       // fire
    int macro = 0;          // the macro's index in the library
    int macroMode = 0;      // 0-3, or kMacroModeRepeat (category 0x71 with `count`)
    uint8_t modifiers = 0;  // keyboard key: HID modifier bits
    uint8_t usage = 0;      // keyboard key: HID usage, 0 for modifiers alone
};

inline constexpr int kStepsMin = 1;
inline constexpr int kStepsMax = 127;
inline constexpr int kNibbleMax = 15;
inline constexpr int kMacroPlayModeMax = 3;

// Reads the function words (after BUTTON). False with a message that names the
// accepted values when they are wrong.
bool ParseButtonFunction(std::span<const std::string> words, ButtonFunction& function,
                         std::string& error);

// The key's new (current, default) pair, built as the editor builds it with
// its controls set to `function` on the key `entry` opened; `macroNames` is
// the macro library in library order.
KeyEntry BuildButtonEntry(const ButtonFunction& function, const KeyEntry& entry,
                          std::span<const std::string> macroNames);
