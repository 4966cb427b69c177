// The mouse's settings as `r730ctl mouse show` prints them: the model of a
// mouse object after it read the mouse, as text or as one JSON object.
#pragma once

#include <cstdio>
#include <string>

#include <json/json.h>

#include "devices/zentrel_mouse_device.h"

// The battery record of the mouse (status command), when it could be read.
struct MouseBattery {
    bool known = false;
    int percent = 0;
    int charging = 0;  // the charging state as the mouse reports it: 0, 1 or 2
};
MouseBattery ReadMouseBattery(CZentrelMouseDevice& mouse);

// "#rrggbb".
std::string ColourText(uint8_t red, uint8_t green, uint8_t blue);
// A value the page shows with another option selected (report rate 4, a
// two-option setting above 1): "4 (shown as option 0)"; else the value.
std::string ShownOptionText(int value, int option);
// The name of a light effect in the mouse's effect list ("" when it has none).
std::string EffectName(const CZentrelMouseDevice& mouse, int index);

// Stages, report rate, sensor and power options, light effect, connection and
// sensor id.
Json::Value MouseSettingsJson(CZentrelMouseDevice& mouse);
void PrintMouseSettings(std::FILE* out, CZentrelMouseDevice& mouse);

Json::Value BatteryJson(const MouseBattery& battery);  // null when not known
void PrintBattery(std::FILE* out, const MouseBattery& battery);
