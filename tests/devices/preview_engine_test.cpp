// The preview tables and effect steps against values worked out by hand.
#include "devices/preview_engine.h"

#include <gtest/gtest.h>

#include "devices/custom_runner.h"
#include "devices/light_tables.h"
#include "devices/overlay_effects.h"

namespace {

LightInfo Light(uint8_t level, uint8_t speed, bool colourful, Rgb colour = {10, 20, 30}, uint8_t fx = 1) {
    LightInfo l;
    l.light = level;
    l.speed = speed;
    l.multiColor = colourful;
    l.red = colour.r;
    l.green = colour.g;
    l.blue = colour.b;
    l.fx = fx;
    return l;
}

TEST(PreviewTables, BuiltFromTheirHalvesAndSectors) {
    EXPECT_EQ(Curve128()[0], 0);
    EXPECT_EQ(Curve128()[63], 255);
    EXPECT_EQ(Curve128()[64], 255);
    EXPECT_EQ(Curve128()[127], 0);
    EXPECT_EQ(Curve128()[117], Curve128()[10]);
    EXPECT_EQ(Wave96()[0], 22);
    EXPECT_EQ(Wave96()[47], 255);
    EXPECT_EQ(Wave96()[95], 22);
    const auto& s = Spectrum();
    EXPECT_EQ(s[0], (Rgb{255, 1, 0}));
    EXPECT_EQ(s[31], (Rgb{255, 255, 0}));
    EXPECT_EQ(s[32], (Rgb{248, 255, 0}));
    EXPECT_EQ(s[64], (Rgb{0, 255, 1}));
    EXPECT_EQ(s[127], (Rgb{0, 0, 255}));
    EXPECT_EQ(s[160], (Rgb{255, 0, 248}));
    EXPECT_EQ(s[191], (Rgb{255, 0, 0}));
    EXPECT_EQ(s[192], s[0]);
}

TEST(PreviewSteps, PhaseStepperWrapsBothWays) {
    struct Case { bool forward; uint8_t limit, phase, step, expected; } cases[] = {
        {true, 128, 127, 1, 0}, {false, 128, 0, 1, 127}, {true, 192, 10, 1, 11},
        {false, 192, 5, 1, 4},  {true, 96, 95, 1, 0},    {false, 96, 0, 1, 95},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StepPhase(c.forward, c.limit, c.phase, c.step), c.expected)
            << c.forward << " " << int(c.limit) << " " << int(c.phase);
}

TEST(PreviewSteps, DecayFollowsTheLevelBandsAndVariant) {
    struct Case { uint8_t level; int variant; uint8_t expected; } cases[] = {
        {255, 0, 215}, {200, 29, 155}, {144, 10, 104}, {130, 29, 90}, {120, 29, 85},
        {100, 0, 70},  {85, 29, 60},   {70, 29, 50},   {40, 0, 25},   {40, 29, 30},
        {40, 21, 30},  {20, 0, 12},    {20, 29, 15},   {5, 7, 4},     {1, 0, 0},    {0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecayKeyLevel(c.level, c.variant), c.expected) << int(c.level) << "/" << c.variant;
}

TEST(PreviewSteps, BreathingAtFullBrightnessPeaksAt254) {
    LedFrame leds(3);
    PreviewState s;
    s.phase = 62;
    StepBreathing(s, Light(4, 0, false), leds);
    EXPECT_EQ(s.phase, 63);
    for (const LedColour& led : leds) EXPECT_EQ(led, (LedColour{10, 20, 30, 254}));
    // Colourful breathing moves 16 spectrum entries on at the start of each breath.
    s.phase = 127;
    s.colourIndex = 192;
    StepBreathing(s, Light(2, 0, true), leds);
    EXPECT_EQ(s.phase, 0);
    EXPECT_EQ(s.colourIndex, 0);  // past 192: back to the start
    s.phase = 127;
    StepBreathing(s, Light(2, 0, true), leds);
    EXPECT_EQ(s.colourIndex, 16);
    EXPECT_EQ(leds[0].red, Spectrum()[16].r);
    // Four colours: one table entry per breath.
    s = {};
    s.phase = 127;
    s.colourIndex = 3;
    StepBreathingFourColour(s, Light(4, 0, false), leds);
    EXPECT_EQ(s.colourIndex, 0);
    EXPECT_EQ(leds[1], (LedColour{0, 255, 180, 0}));
}

TEST(PreviewSteps, FlashTogglesOnTheClockBySpeed) {
    for (auto [speed, period] : {std::pair<uint8_t, uint64_t>{0, 5600}, {4, 1400}}) {
        PreviewState s;
        LedFrame leds(2);
        uint64_t now = 100000;
        StepFlash(s, Light(4, speed, false), leds, now);  // the first step turns it on
        EXPECT_TRUE(s.flashOn);
        EXPECT_EQ(leds[0], (LedColour{10, 20, 30, 255}));
        StepFlash(s, Light(4, speed, false), leds, now + period - 1);
        EXPECT_TRUE(s.flashOn) << int(speed);
        StepFlash(s, Light(4, speed, false), leds, now + period);
        EXPECT_FALSE(s.flashOn) << int(speed);
        EXPECT_EQ(leds[0], LedColour{});
        StepFlash(s, Light(4, speed, false), leds, now + 2 * period);
        EXPECT_TRUE(s.flashOn);
    }
}

TEST(PreviewSteps, DeviceColourScalesByAlpha) {
    EXPECT_EQ(DeviceColour({255, 128, 2, 255}), (Rgb{254, 127, 1}));
    EXPECT_EQ(DeviceColour({255, 255, 255, 0}), (Rgb{0, 0, 0}));
}

TEST(CustomRunner, StepsPlayForTheirTimeInTurn) {
    EffectStep first, second;
    first.mode = second.mode = 1;  // static
    first.brightness = second.brightness = 4;
    first.speed = second.speed = 4;
    first.red = 200;
    second.blue = 200;
    first.time = 500;
    second.time = 1000;
    const std::vector<EffectStep> steps = {first, second};
    CustomRunnerState s;
    LedFrame leds(4);
    std::vector<std::pair<uint64_t, size_t>> changes;  // when the step counter moved
    size_t step = 0;
    for (uint64_t now = 10000; now < 13600; now += 2) {
        RunCustomStep(s, steps, 0, leds, now);
        if (s.stepCounter != step) {
            step = s.stepCounter;
            changes.emplace_back(now, step);
        }
    }
    ASSERT_GE(changes.size(), 3u);
    EXPECT_EQ(changes[0].second, 1u);
    EXPECT_EQ(changes[0].first, 10502u);  // just over 500 ms after the first pass
    EXPECT_EQ(changes[1].second, 0u);
    EXPECT_EQ(changes[1].first - changes[0].first, 1002u);
    EXPECT_EQ(changes[2].first - changes[1].first, 502u);

    LedFrame lit(3, LedColour{1, 2, 3, 4});
    CustomRunnerState empty;
    RunCustomStep(empty, {}, 0, lit, 5000);  // an effect file without steps: lights off
    EXPECT_EQ(lit, LedFrame(3));
}

TEST(CustomRunner, PassesUntilChangeNeverSkipsAFrame) {
    // Running single passes and running them batched at the predicted wake-ups
    // must draw the same frames.
    EffectStep wave;
    wave.mode = 4;
    wave.brightness = 3;
    wave.speed = 2;
    wave.multiColor = 1;
    wave.time = 300;
    EffectStep flash = wave;
    flash.mode = 2;
    flash.time = 2000;
    const std::vector<EffectStep> steps = {wave, flash};
    CustomRunnerState each, batched;
    LedFrame a(5), b(5);
    uint64_t now = 50000;
    RunCustomStep(each, steps, 4, a, now);
    RunCustomStep(batched, steps, 4, b, now);
    for (int wake = 0; wake < 400; ++wake) {
        const uint32_t n = CustomPassesUntilChange(batched, steps, 4, now, 2);
        ASSERT_GE(n, 1u);
        for (uint32_t i = 0; i < n; ++i) {
            now += 2;
            RunCustomStep(each, steps, 4, a, now);
            if (i + 1 < n) {
                EXPECT_EQ(a, b) << "a frame changed before the predicted wake-up";
            }
            RunCustomStep(batched, steps, 4, b, now);
        }
        ASSERT_EQ(a, b);
    }
}

TEST(Overlays, DrawOnlyTheirOwnLeds) {
    LedFrame leds(5, LedColour{0, 0, 255, 255});
    std::vector<LightListItem> items(6);
    items[0] = {1, 4, 0, 0, 0, 255, 0, 0, 1};  // static red
    items[1] = {4, 4, 0, 0, 0, 0, 0, 0, 1};    // off
    items[2] = {7, 4, 0, 0, 0, 9, 9, 9, 1};    // mode 7: draws nothing
    items[3] = {};                             // a null element: not valid, draws nothing
    items[5] = {1, 4, 0, 0, 0, 1, 1, 1, 1};    // beyond the LED count
    OverlayState state;
    DrawOverlays(state, items, leds, false, 1000);
    EXPECT_EQ(leds[0], (LedColour{255, 0, 0, 255}));
    EXPECT_EQ(leds[1], LedColour{});
    EXPECT_EQ(leds[2], (LedColour{0, 0, 255, 255}));
    EXPECT_EQ(leds[3], (LedColour{0, 0, 255, 255}));
    EXPECT_EQ(leds[4], (LedColour{0, 0, 255, 255}));
    EXPECT_TRUE(OverlaysAnimate({{0, 4, 0, 0, 0, 0, 0, 0, 1}}, 1));
    EXPECT_FALSE(OverlaysAnimate(items, 5));
}

TEST(Overlays, ResetRestartsBreathingFlashAndCycle) {
    LedFrame leds(2);
    std::vector<LightListItem> items = {{0, 4, 0, 0, 0, 50, 60, 70, 1},   // breathing
                                        {2, 4, 4, 0, 0, 80, 90, 100, 1}};  // flash, speed 4
    OverlayState state;
    for (uint64_t t = 0; t < 40; ++t) DrawOverlays(state, items, leds, false, 1000 + t * 2);
    EXPECT_NE(state.leds[0].breathPhase, 4);
    DrawOverlays(state, items, leds, true, 200000);
    EXPECT_EQ(state.leds[0].breathPhase, 4);  // reset to 0, then one pass of speed 0 + 4
    EXPECT_EQ(leds[0], (LedColour{50, 60, 70, static_cast<uint8_t>(Curve128()[4] * 255 / 256)}));
    EXPECT_EQ(state.leds[1].flashPeriodMs, 1400u);
    EXPECT_TRUE(state.leds[1].flashOn);  // the first pass after the reset turns it on
    EXPECT_EQ(leds[1], (LedColour{80, 90, 100, 255}));
    DrawOverlays(state, items, leds, false, 200000 + 1399);
    EXPECT_TRUE(state.leds[1].flashOn);
    DrawOverlays(state, items, leds, false, 200000 + 1400);
    EXPECT_FALSE(state.leds[1].flashOn);
    EXPECT_EQ(leds[1], LedColour{});
}

}  // namespace
