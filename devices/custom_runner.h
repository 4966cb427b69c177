// The custom step runner: plays the steps of a user-defined effect, one pass
// per lighting tick, each step for its "Time" in milliseconds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "devices/preview_engine.h"
#include "profiles/profile_records.h"

struct CustomRunnerState {
    uint8_t phase = 0;
    uint8_t tick = 0;
    bool on = false;
    uint8_t flashColourIndex = 0;
    uint64_t lastToggleMs = 0;
    uint64_t stepStartMs = 0;
    bool stepStarted = false;  // the first pass of a step notes its start time
    size_t stepCounter = 0;
    bool flashDrawn = false;  // a flashing step has drawn since it began

    // A fresh effect: step 0, timing from the next pass.
    void Restart() { *this = CustomRunnerState{}; }
};

// One pass at time nowMs. deviceSpeed is the speed level of the device's light
// state, which sets the flash period of flashing steps.
void RunCustomStep(CustomRunnerState& s, const std::vector<EffectStep>& steps, uint8_t deviceSpeed,
                   LedFrame& leds, uint64_t nowMs);

// How many passes (ticks of tickMs) may go by before a pass would draw
// something new or change step; at least 1.
uint32_t CustomPassesUntilChange(const CustomRunnerState& s, const std::vector<EffectStep>& steps,
                                 uint8_t deviceSpeed, uint64_t nowMs, uint32_t tickMs);
