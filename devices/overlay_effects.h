// Per-LED overlay effects: the items of the profile's light list, item i for
// LED i, each drawing its own LED over the main effect.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "devices/preview_engine.h"
#include "profiles/profile_records.h"

inline constexpr size_t kOverlayLedLimit = 170;

struct OverlayState {
    struct Led {
        uint8_t breathPhase = 0, breathColour = 0;
        uint64_t flashPeriodMs = 0, flashLastMs = 0;
        bool flashOn = false;
        uint8_t flashColour = 0;
        uint8_t cycleThreshold = 0, cycleCounter = 0, cycleColour = 0;
    };
    std::array<Led, kOverlayLedLimit> leds{};
};

// One pass over the items. With `reset` (a light-settings load) only the
// breathing, flash and spectrum-cycle members run, each resetting its state
// first and then drawing one frame.
void DrawOverlays(OverlayState& state, const std::vector<LightListItem>& items, LedFrame& leds,
                  bool reset, uint64_t nowMs);

// True when some item changes its LED from pass to pass (breathing or
// spectrum cycle) or on a timer (flash), so the thread cannot sleep long.
bool OverlaysAnimate(const std::vector<LightListItem>& items, size_t ledCount);
