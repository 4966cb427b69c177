// What the mouse page shows, copied from the mouse on the device thread so the
// page never reads the device model while an edit changes it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "devices/light_tables.h"
#include "devices/mouse_dpi.h"
#include "profiles/profile_records.h"

class CZentrelMouseDevice;

inline constexpr int kPageStages = 7;

struct MousePageStage {
    bool enabled = false;
    int level = 0;  // the slider value
    int dpi = 0;    // the text beside it
    Rgb colour{};
};

struct MousePageState {
    bool valid = false;  // false until the mouse was read once (the values are the profile's)
    DpiParams dpi;
    LevelRange levels;
    std::array<MousePageStage, kPageStages> stages{};
    int activeStage = 0;
    MouseSystem system;
    int reportRateOption = 0;  // the option the page selects
    int liftOffOption = 0;
    int calibrationOption = 0;
    int rippleOption = 0;
};

MousePageState TakeMousePageState(CZentrelMouseDevice& mouse);
