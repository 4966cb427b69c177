#include "devices/custom_runner.h"

#include <algorithm>

#include "devices/light_tables.h"

namespace {

constexpr uint8_t kCycleTicks[5] = {5, 4, 3, 2, 1};

uint8_t Threshold(const EffectStep& step) {
    return step.mode == 5 ? kCycleTicks[std::min<uint8_t>(step.speed, 4)] : TicksOf(step.speed);
}

void Fill(LedFrame& leds, Rgb c, uint8_t alpha) {
    for (LedColour& led : leds) led = {c.r, c.g, c.b, alpha};
}

void DrawWave(CustomRunnerState& s, const EffectStep& step, LedFrame& leds) {
    s.phase = static_cast<uint8_t>((s.phase + 1) % 192);
    unsigned d;
    if (step.direction) {
        d = 192u - s.phase;
        if (d == 192) d = 191;
    } else {
        d = s.phase + 1u;
        if (d == 192) d = 0;
    }
    const uint8_t bright = BrightnessOf(step.brightness);
    for (LedColour& led : leds) {
        if (step.multiColor) {
            const Rgb c = Spectrum()[d];
            led = {c.r, c.g, c.b, bright};
            d = (d + 12) % 192;
        } else {
            const unsigned index = (d + 12) % 96;
            led = {step.red, step.green, step.blue, static_cast<uint8_t>(bright * Wave96()[index] / 256)};
            d = index;
        }
    }
}

}  // namespace

void RunCustomStep(CustomRunnerState& s, const std::vector<EffectStep>& steps, uint8_t deviceSpeed,
                   LedFrame& leds, uint64_t nowMs) {
    if (s.stepCounter >= steps.size()) s.stepCounter = 0;
    if (steps.empty()) {
        StepOff(leds);
        return;
    }
    if (!s.stepStarted) {
        s.stepStartMs = nowMs;
        s.stepStarted = true;
    }
    const EffectStep& step = steps[s.stepCounter];
    s.tick = static_cast<uint8_t>(s.tick + 1 == 255 ? 0 : s.tick + 1);
    const uint8_t bright = BrightnessOf(step.brightness);
    const Rgb stepColour{step.red, step.green, step.blue};
    const bool due = s.tick >= Threshold(step);
    switch (step.mode) {
        case 0:  // breathing
            if (due) {
                s.tick = 0;
                s.phase = static_cast<uint8_t>((s.phase + 1) % 128);
                Fill(leds, step.multiColor ? Spectrum()[0] : stepColour,
                     static_cast<uint8_t>(Curve128()[s.phase] * bright / 256));
            }
            break;
        case 1:  // static
            if (due) {
                s.tick = 0;
                Fill(leds, stepColour, bright);
            }
            break;
        case 2:  // flash: a frame every pass
            s.phase = static_cast<uint8_t>((s.phase + 1) % 128);
            if (due) s.tick = 0;
            if (nowMs - s.lastToggleMs >= FlashPeriodMs(deviceSpeed) || nowMs < s.lastToggleMs) {
                s.on = !s.on;
                s.lastToggleMs = nowMs;
                s.flashColourIndex = static_cast<uint8_t>(s.phase + 14 >= 192 ? 0 : s.phase + 14);
            }
            if (s.on) {
                Fill(leds, step.multiColor ? Spectrum()[s.flashColourIndex] : stepColour, bright);
            } else {
                StepOff(leds);
            }
            s.flashDrawn = true;
            break;
        case 4:  // spectrum wave
            if (due) {
                s.tick = 0;
                DrawWave(s, step, leds);
            }
            break;
        case 5:  // spectrum cycle
            if (due) {
                s.tick = 0;
                s.phase = static_cast<uint8_t>((s.phase + 1) % 192);
                Fill(leds, Spectrum()[s.phase], bright);
            }
            break;
        default:  // 3 and unknown modes draw nothing
            break;
    }
    if (nowMs - s.stepStartMs > static_cast<uint64_t>(std::max(step.time, 0))) {
        s.stepCounter = (s.stepCounter + 1) % steps.size();
        s.stepStartMs = nowMs;
        s.flashDrawn = false;
    }
}

uint32_t CustomPassesUntilChange(const CustomRunnerState& s, const std::vector<EffectStep>& steps,
                                 uint8_t deviceSpeed, uint64_t nowMs, uint32_t tickMs) {
    if (steps.empty() || !s.stepStarted) return 1;
    const EffectStep& step = steps[s.stepCounter < steps.size() ? s.stepCounter : 0];
    auto passesUntil = [&](uint64_t atMs) -> uint32_t {
        if (atMs <= nowMs) return 1;
        return static_cast<uint32_t>((atMs - nowMs + tickMs - 1) / tickMs);
    };
    // The step ends after its time.
    uint32_t passes = passesUntil(s.stepStartMs + static_cast<uint64_t>(std::max(step.time, 0)) + 1);
    switch (step.mode) {
        case 0:
        case 1:
        case 4:
        case 5: {
            const uint8_t threshold = Threshold(step);
            passes = std::min<uint32_t>(passes, s.tick + 1u >= threshold ? 1u : threshold - s.tick);
            break;
        }
        case 2:
            // A flashing step draws on its first pass, then again at each toggle.
            if (!s.flashDrawn) return 1;
            passes = std::min(passes, passesUntil(s.lastToggleMs + FlashPeriodMs(deviceSpeed)));
            break;
        default:
            break;
    }
    return std::max<uint32_t>(passes, 1);
}
