#include "devices/overlay_effects.h"

#include <algorithm>

#include "devices/light_tables.h"

namespace {

enum OverlayMode : uint8_t { kBreathing = 0, kStatic = 1, kFlash = 2, kCycle = 3, kOff = 4 };

size_t DrawnCount(const std::vector<LightListItem>& items, const LedFrame& leds) {
    return std::min({items.size(), leds.size(), kOverlayLedLimit});
}

void Breathing(OverlayState& st, const std::vector<LightListItem>& items, LedFrame& leds, bool reset) {
    if (reset)
        for (auto& l : st.leds) l.breathPhase = l.breathColour = 0;
    for (size_t i = 0; i < DrawnCount(items, leds); ++i) {
        const LightListItem& it = items[i];
        if (it.mode != kBreathing || !it.valid) continue;
        OverlayState::Led& l = st.leds[i];
        const unsigned phase = l.breathPhase + it.speed + 4u;
        if (phase >= 128) {
            l.breathPhase = 0;
            l.breathColour = static_cast<uint8_t>(l.breathColour + 1 > 192 ? 191 : l.breathColour + 1);
        } else {
            l.breathPhase = static_cast<uint8_t>(phase);
        }
        const Rgb c = it.multiColor ? Spectrum()[l.breathColour] : Rgb{it.red, it.green, it.blue};
        leds[i] = {c.r, c.g, c.b, static_cast<uint8_t>(Curve128()[l.breathPhase] * BrightnessOf(it.brightness) / 256)};
    }
}

void Static(const std::vector<LightListItem>& items, LedFrame& leds) {
    for (size_t i = 0; i < DrawnCount(items, leds); ++i) {
        const LightListItem& it = items[i];
        if (it.mode == kStatic) leds[i] = {it.red, it.green, it.blue, BrightnessOf(it.brightness)};
    }
}

void Cycle(OverlayState& st, const std::vector<LightListItem>& items, LedFrame& leds, bool reset) {
    for (size_t i = 0; i < DrawnCount(items, leds); ++i) {
        const LightListItem& it = items[i];
        if (it.mode != kCycle || !it.valid) continue;
        OverlayState::Led& l = st.leds[i];
        if (reset) {
            l.cycleThreshold = TicksOf(it.speed);
            l.cycleCounter = 0;
            l.cycleColour = 0;
        }
        if (++l.cycleCounter >= l.cycleThreshold) {
            l.cycleCounter = 0;
            l.cycleColour = static_cast<uint8_t>(l.cycleColour + 1 > 191 ? 0 : l.cycleColour + 1);
        }
        const Rgb c = Spectrum()[l.cycleColour];
        leds[i] = {c.r, c.g, c.b, BrightnessOf(it.brightness)};
    }
}

void Flash(OverlayState& st, const std::vector<LightListItem>& items, LedFrame& leds, bool reset, uint64_t nowMs) {
    const size_t timers = std::min(items.size(), kOverlayLedLimit);
    for (size_t i = 0; i < timers; ++i) {
        const LightListItem& it = items[i];
        OverlayState::Led& l = st.leds[i];
        if (reset) {
            l.flashPeriodMs = FlashPeriodMs(it.speed);
            l.flashLastMs = 0;
            l.flashOn = false;
            l.flashColour = 0;
        }
        // Every item keeps its own timer, whatever its mode.
        if (nowMs - l.flashLastMs >= l.flashPeriodMs || nowMs < l.flashLastMs) {
            l.flashOn = !l.flashOn;
            l.flashLastMs = nowMs;
            l.flashColour = static_cast<uint8_t>(l.flashColour + 14 > 191 ? 0 : l.flashColour + 14);
        }
        if (it.mode != kFlash || i >= leds.size()) continue;
        if (!l.flashOn) {
            leds[i] = {};
            continue;
        }
        const Rgb c = it.multiColor ? Spectrum()[l.flashColour] : Rgb{it.red, it.green, it.blue};
        leds[i] = {c.r, c.g, c.b, BrightnessOf(it.brightness)};
    }
}

void Off(const std::vector<LightListItem>& items, LedFrame& leds) {
    for (size_t i = 0; i < DrawnCount(items, leds); ++i)
        if (items[i].mode == kOff) leds[i] = {};
}

}  // namespace

void DrawOverlays(OverlayState& state, const std::vector<LightListItem>& items, LedFrame& leds,
                  bool reset, uint64_t nowMs) {
    if (reset) {
        Breathing(state, items, leds, true);
        Cycle(state, items, leds, true);
        Flash(state, items, leds, true, nowMs);
        return;
    }
    Breathing(state, items, leds, false);
    Static(items, leds);
    Cycle(state, items, leds, false);
    Flash(state, items, leds, false, nowMs);
    Off(items, leds);
}

bool OverlaysAnimate(const std::vector<LightListItem>& items, size_t ledCount) {
    const size_t n = std::min({items.size(), ledCount, kOverlayLedLimit});
    for (size_t i = 0; i < n; ++i) {
        const LightListItem& it = items[i];
        if ((it.mode == kBreathing || it.mode == kCycle) && it.valid) return true;
        if (it.mode == kFlash) return true;
    }
    return false;
}
