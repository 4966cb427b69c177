#include "devices/mouse_light_effects.h"

#include <algorithm>
#include <cstdlib>

#include "devices/light_tables.h"

namespace {

constexpr uint8_t kSpectrumPeriod = 192;  // entries 0-191; 192 repeats 0
constexpr uint8_t kWavePeriod = 96;
constexpr uint8_t kWaveSpacing = 7;     // entries between neighbouring zones of the wave
constexpr uint8_t kRippleSpacing = 12;  // spectrum entries between ripple zones
constexpr uint8_t kFadeStep = 15;

uint8_t Scale(uint8_t a, uint8_t b) { return static_cast<uint8_t>(a * b / 256); }

Rgb UserColour(const LightInfo& light) { return {light.red, light.green, light.blue}; }

bool Forward(const LightInfo& light) { return light.fx != 0; }

void SetLed(LedFrame& leds, size_t i, Rgb colour, uint8_t alpha) {
    if (i < leds.size()) leds[i] = {colour.r, colour.g, colour.b, alpha};
}

void SetZone(LedFrame& leds, const MouseLedZone& zone, Rgb colour, uint8_t alpha) {
    for (size_t j = 0; j < zone.count; ++j) SetLed(leds, zone.leds[j], colour, alpha);
}

// The mouse has no colour for records past its own LEDs.
void ClearBeyondMouse(LedFrame& leds) {
    for (size_t i = kMouseLedCount; i < leds.size(); ++i) leds[i] = {};
}

// k + 1 within [0, period): the entry after the phase.
uint8_t NextEntry(uint8_t phase, uint8_t period) {
    return static_cast<uint8_t>((phase + 1) % period);
}

}  // namespace

MouseEffectKind KindOf(uint8_t effect) {
    switch (effect) {
        case 0: return MouseEffectKind::Static;
        case 1: return MouseEffectKind::Breathing;
        case 2: return MouseEffectKind::Wave;
        case 3: return MouseEffectKind::Spectrum;
        case 4: return MouseEffectKind::ZoneRipple;
        case 5: return MouseEffectKind::BreathingFourColour;
        case 6: return MouseEffectKind::Flash;
        case 7: return MouseEffectKind::ReactiveFade;
        case 8: return MouseEffectKind::FlashFourColour;
        case 10: return MouseEffectKind::Off;
        default: return MouseEffectKind::Custom;
    }
}

bool MouseEffectIsTable(uint8_t effect) { return KindOf(effect) != MouseEffectKind::Custom; }

bool MouseEffectIsSteady(MouseEffectKind kind) {
    return kind == MouseEffectKind::Static || kind == MouseEffectKind::Off;
}

bool MouseEffectState::Fading() const {
    return std::any_of(leds.begin(), leds.end(),
                       [](const MouseLedReactive& l) { return l.state != MouseLedFade::Idle; });
}

void MouseWaveStep(MouseEffectState& s, const LightInfo& light, LedFrame& leds) {
    const uint8_t brightness = BrightnessOf(light.light);
    if (light.multiColor) {
        s.phase = StepPhase(Forward(light), kSpectrumPeriod, s.phase, 1);
        uint8_t k = NextEntry(s.phase, kSpectrumPeriod);
        for (const MouseLedZone& zone : kMouseZones) {
            SetZone(leds, zone, Spectrum()[k], brightness);
            k = static_cast<uint8_t>((k + kWaveSpacing) % kSpectrumPeriod);
        }
    } else {
        s.phase = StepPhase(Forward(light), kWavePeriod, s.phase, 1);
        uint8_t k = NextEntry(s.phase, kWavePeriod);
        for (const MouseLedZone& zone : kMouseZones) {
            SetZone(leds, zone, UserColour(light), Scale(brightness, Wave96()[k]));
            k = static_cast<uint8_t>((k + kWaveSpacing) % kWavePeriod);
        }
    }
    ClearBeyondMouse(leds);
}

void MouseZoneRippleStep(MouseEffectState& s, ReactiveState& reactive, const LightInfo& light,
                         LedFrame& leds) {
    s.phase = StepPhase(Forward(light), kSpectrumPeriod, s.phase, 1);
    reactive.MarkWaveKeys();
    reactive.RotateWave(Forward(light));
    const uint8_t brightness = BrightnessOf(light.light);
    for (size_t z = 0; z < kMouseZones.size(); ++z) {
        uint8_t& level = reactive.keyLevels[z];
        level = DecayKeyLevel(level, kMouseEffectZoneRipple);
        const Rgb colour =
            light.multiColor
                ? Spectrum()[(s.phase % kSpectrumPeriod + kRippleSpacing * z) % kSpectrumPeriod]
                : UserColour(light);
        SetZone(leds, kMouseZones[z], colour, Scale(brightness, level));
    }
    ClearBeyondMouse(leds);
}

void MouseReactiveFadeStep(MouseEffectState& s, const LightInfo& light, LedFrame& leds) {
    const uint8_t brightness = BrightnessOf(light.light);
    for (size_t i = 0; i < s.leds.size(); ++i) {
        MouseLedReactive& led = s.leds[i];
        if (led.state == MouseLedFade::Rising) {
            if (led.level >= 255 - kFadeStep) {
                led.level = 255;
                led.state = MouseLedFade::Falling;
            } else {
                led.level = static_cast<uint8_t>(led.level + kFadeStep);
            }
        } else if (led.state == MouseLedFade::Falling) {
            if (led.level <= kFadeStep) {
                led.level = 0;
                led.state = MouseLedFade::Idle;
            } else {
                led.level = static_cast<uint8_t>(led.level - kFadeStep);
            }
        }
        const Rgb colour = light.multiColor ? Spectrum()[led.colourIndex % kSpectrumPeriod]
                                            : UserColour(light);
        SetLed(leds, i, colour, Scale(brightness, led.level));
    }
    ClearBeyondMouse(leds);
}

void TriggerReactive(MouseEffectState& s, size_t ledCount, const MouseRandomSource& random) {
    const size_t count = std::min(ledCount, s.leds.size());
    for (size_t i = 0; i < count; ++i) {
        const uint32_t r = random ? random() : static_cast<uint32_t>(std::rand());
        s.leds[i] = {MouseLedFade::Rising, 255, static_cast<uint8_t>(r % kSpectrumPeriod)};
    }
}
