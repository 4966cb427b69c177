// The software lighting preview shared by every device: the LED colour
// records, the phase stepper, the per-key decay and the base effect steps.
// Each step writes every record of the frame; alpha is the fourth byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "devices/light_tables.h"
#include "profiles/profile_records.h"

struct LedColour {
    uint8_t red = 0, green = 0, blue = 0, alpha = 0;
    bool operator==(const LedColour&) const = default;
};
using LedFrame = std::vector<LedColour>;

// forward: phase + step, 0 when at or above the limit; backward: phase - step
// (mod 256), limit - step when at or above the limit.
uint8_t StepPhase(bool forward, uint8_t limit, uint8_t phase, uint8_t step);

// One decay step of a per-key level; effects pass their effect number as the variant.
uint8_t DecayKeyLevel(uint8_t level, int variant);

// What the base steps remember between frames.
struct PreviewState {
    uint8_t phase = 0;
    uint8_t colourIndex = 0;
    bool flashOn = false;
    uint64_t lastFlashMs = 0;
};

void StepBreathing(PreviewState& s, const LightInfo& light, LedFrame& leds);
void StepBreathingFourColour(PreviewState& s, const LightInfo& light, LedFrame& leds);
void StepStatic(const LightInfo& light, LedFrame& leds);
void StepSpectrum(PreviewState& s, const LightInfo& light, LedFrame& leds);
void StepFlash(PreviewState& s, const LightInfo& light, LedFrame& leds, uint64_t nowMs);
void StepFlashFourColour(PreviewState& s, const LightInfo& light, LedFrame& leds, uint64_t nowMs);
void StepOff(LedFrame& leds);

// The time (ms) between two flash toggles at a speed level.
uint64_t FlashPeriodMs(uint8_t speed);

// The colour a device is sent for one LED record: each component × alpha ÷ 256.
Rgb DeviceColour(const LedColour& led);

// Per-key reactive levels and the wave ring of the reactive and wave effects.
inline constexpr size_t kKeyLevelCount = 170;
inline constexpr size_t kWaveBufferSize = 23;
struct ReactiveState {
    std::array<uint8_t, kKeyLevelCount> keyLevels{};
    std::array<uint8_t, kWaveBufferSize> wave{};

    void Clear();
    // Sets the level of keys 0..count-1 (at most the ring's size) to 255 where the ring is set.
    void MarkWaveKeys(size_t count = 9);
    void RotateWave(bool forward);
};
