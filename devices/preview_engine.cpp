#include "devices/preview_engine.h"

#include <algorithm>

#include "devices/light_tables.h"

namespace {

Rgb UserColour(const LightInfo& light) { return {light.red, light.green, light.blue}; }

void Fill(LedFrame& leds, Rgb colour, uint8_t alpha) {
    for (LedColour& led : leds) led = {colour.r, colour.g, colour.b, alpha};
}

uint8_t Scale(uint8_t a, uint8_t b) { return static_cast<uint8_t>(a * b / 256); }

// Breathing through the spectrum (every 16th entry) or the four-colour table.
void Breathe(PreviewState& s, const LightInfo& light, LedFrame& leds, bool fourColours) {
    s.phase = StepPhase(light.fx != 0, 128, s.phase, 1);
    if (s.phase == 0) {
        if (fourColours) {
            s.colourIndex = static_cast<uint8_t>(s.colourIndex + 1 > 3 ? 0 : s.colourIndex + 1);
        } else {
            s.colourIndex = static_cast<uint8_t>(s.colourIndex + 16 > 192 ? 0 : s.colourIndex + 16);
        }
    }
    Rgb colour = UserColour(light);
    if (fourColours) {
        colour = kFourColours[std::min<size_t>(s.colourIndex, 3)];
    } else if (light.multiColor) {
        colour = Spectrum()[std::min<size_t>(s.colourIndex, kSpectrumSize - 1)];
    }
    Fill(leds, colour, Scale(Curve128()[s.phase & 0x7F], BrightnessOf(light.light)));
}

void Flash(PreviewState& s, const LightInfo& light, LedFrame& leds, uint64_t nowMs, bool fourColours) {
    if (nowMs - s.lastFlashMs >= FlashPeriodMs(light.speed) || nowMs < s.lastFlashMs) {
        s.flashOn = !s.flashOn;
        s.lastFlashMs = nowMs;
        if (fourColours) {
            s.colourIndex = static_cast<uint8_t>(s.colourIndex + 1 > 3 ? 0 : s.colourIndex + 1);
        } else {
            s.colourIndex = static_cast<uint8_t>(s.colourIndex + 16 >= 192 ? 0 : s.colourIndex + 16);
        }
    }
    if (!s.flashOn) {
        StepOff(leds);
        return;
    }
    Rgb colour = UserColour(light);
    if (fourColours) {
        colour = kFourColours[std::min<size_t>(s.colourIndex, 3)];
    } else if (light.multiColor) {
        colour = Spectrum()[std::min<size_t>(s.colourIndex, kSpectrumSize - 1)];
    }
    Fill(leds, colour, BrightnessOf(light.light));
}

}  // namespace

uint8_t StepPhase(bool forward, uint8_t limit, uint8_t phase, uint8_t step) {
    if (forward) {
        const auto next = static_cast<uint8_t>(phase + step);
        return next >= limit ? 0 : next;
    }
    const auto next = static_cast<uint8_t>(phase - step);
    return next >= limit ? static_cast<uint8_t>(limit - step) : next;
}

uint8_t DecayKeyLevel(uint8_t level, int variant) {
    struct Band {
        uint8_t low;
        uint8_t v0, v29, other;
    };
    static constexpr Band kBands[] = {
        {144, 40, 45, 40}, {128, 40, 40, 40}, {112, 30, 35, 30}, {96, 30, 30, 30}, {80, 30, 25, 30},
        {64, 30, 20, 30},  {32, 15, 10, 10},  {17, 8, 5, 8},     {1, 1, 1, 1},
    };
    for (const Band& b : kBands) {
        if (level < b.low) continue;
        const uint8_t by = variant == 0 ? b.v0 : (variant == 29 ? b.v29 : b.other);
        return level > by ? static_cast<uint8_t>(level - by) : 0;
    }
    return 0;
}

void StepBreathing(PreviewState& s, const LightInfo& light, LedFrame& leds) { Breathe(s, light, leds, false); }

void StepBreathingFourColour(PreviewState& s, const LightInfo& light, LedFrame& leds) {
    Breathe(s, light, leds, true);
}

void StepStatic(const LightInfo& light, LedFrame& leds) {
    Fill(leds, UserColour(light), BrightnessOf(light.light));
}

void StepSpectrum(PreviewState& s, const LightInfo& light, LedFrame& leds) {
    s.phase = StepPhase(light.fx != 0, 192, s.phase, 1);
    Fill(leds, Spectrum()[s.phase], BrightnessOf(light.light));
}

void StepFlash(PreviewState& s, const LightInfo& light, LedFrame& leds, uint64_t nowMs) {
    Flash(s, light, leds, nowMs, false);
}

void StepFlashFourColour(PreviewState& s, const LightInfo& light, LedFrame& leds, uint64_t nowMs) {
    Flash(s, light, leds, nowMs, true);
}

void StepOff(LedFrame& leds) { std::fill(leds.begin(), leds.end(), LedColour{}); }

uint64_t FlashPeriodMs(uint8_t speed) { return uint64_t{TicksOf(speed)} * 200; }

Rgb DeviceColour(const LedColour& led) {
    return {Scale(led.red, led.alpha), Scale(led.green, led.alpha), Scale(led.blue, led.alpha)};
}

void ReactiveState::Clear() {
    keyLevels.fill(0);
    wave.fill(0);
}

void ReactiveState::MarkWaveKeys(size_t count) {
    for (size_t k = 0; k < count && k < wave.size() && k < keyLevels.size(); ++k)
        if (wave[k]) keyLevels[k] = 255;
}

void ReactiveState::RotateWave(bool forward) {
    if (forward) {
        std::rotate(wave.rbegin(), wave.rbegin() + 1, wave.rend());
    } else {
        std::rotate(wave.begin(), wave.begin() + 1, wave.end());
    }
}
