// The mouse's own lighting steps against frames worked out by hand from the
// spectrum, wave and brightness tables.
#include "devices/mouse_light_effects.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

LightInfo Light(uint8_t level, bool colourful, uint8_t fx, Rgb colour = {200, 100, 50}) {
    LightInfo l;
    l.light = level;
    l.multiColor = colourful;
    l.fx = fx;
    l.red = colour.r;
    l.green = colour.g;
    l.blue = colour.b;
    return l;
}

LedColour Led(Rgb c, uint8_t alpha) { return {c.r, c.g, c.b, alpha}; }

// Every LED of zone z that the frame has must show expected[z].
void ExpectZones(const LedFrame& leds, const std::vector<LedColour>& expected) {
    ASSERT_EQ(expected.size(), kMouseZoneCount);
    for (size_t z = 0; z < kMouseZoneCount; ++z)
        for (size_t j = 0; j < kMouseZones[z].count; ++j) {
            const size_t i = kMouseZones[z].leds[j];
            if (i < leds.size()) {
                EXPECT_EQ(leds[i], expected[z]) << "zone " << z << " LED " << i;
            }
        }
}

TEST(MouseEffectTable, MapsEachEffectIndexToItsStep) {
    using K = MouseEffectKind;
    struct Case { uint8_t effect; K kind; } cases[] = {
        {0, K::Static},     {1, K::Breathing},           {2, K::Wave},  {3, K::Spectrum},
        {4, K::ZoneRipple}, {5, K::BreathingFourColour}, {6, K::Flash}, {7, K::ReactiveFade},
        {8, K::FlashFourColour}, {9, K::Custom},         {10, K::Off},  {11, K::Custom},
        {12, K::Custom},    {255, K::Custom},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KindOf(c.effect), c.kind) << int(c.effect);
        EXPECT_EQ(MouseEffectIsTable(c.effect), c.kind != K::Custom) << int(c.effect);
    }
    EXPECT_TRUE(MouseEffectIsSteady(K::Static));
    EXPECT_TRUE(MouseEffectIsSteady(K::Off));
    EXPECT_FALSE(MouseEffectIsSteady(K::ReactiveFade));
    EXPECT_EQ(MouseTicksFor(0), 28);
    EXPECT_EQ(MouseTicksFor(4), 7);
}

TEST(MouseZones, EveryLedInExactlyOneZoneAndShortFramesAreSafe) {
    std::vector<int> zoneOf(kMouseLedCount, -1);
    for (size_t z = 0; z < kMouseZoneCount; ++z)
        for (size_t j = 0; j < kMouseZones[z].count; ++j) {
            const uint8_t led = kMouseZones[z].leds[j];
            ASSERT_LT(led, kMouseLedCount);
            EXPECT_EQ(zoneOf[led], -1) << "LED " << int(led) << " in two zones";
            zoneOf[led] = static_cast<int>(z);
        }
    EXPECT_EQ(zoneOf, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 6, 5, 4, 3, 2, 1, 0, 6}));

    // A 13-LED frame: LEDs 13 and 14 are skipped, LED 7 still takes zone 6.
    MouseEffectState s;
    LedFrame leds(13);
    MouseWaveStep(s, Light(4, true, 1), leds);
    ASSERT_EQ(leds.size(), 13u);
    EXPECT_EQ(leds[0], (LedColour{255, 5, 0, 255}));
    EXPECT_EQ(leds[7], (LedColour{104, 255, 0, 255}));
    EXPECT_EQ(leds[7], leds[6]);

    // Records past the mouse's 15 LEDs have no zone: they are turned off.
    LedFrame wide(17, LedColour{9, 9, 9, 9});
    MouseReactiveFadeStep(s, Light(4, false, 1), wide);
    EXPECT_EQ(wide[15], LedColour{});
    EXPECT_EQ(wide[16], LedColour{});
}

TEST(MouseWave, ColourfulRunsTheSpectrumSevenEntriesPerZone) {
    struct Case {
        uint8_t phase, fx, level, nextPhase;
        std::vector<Rgb> zones;
    } cases[] = {
        // forward from 0: entries 2, 9, 16, 23, 30, 37, 44
        {0, 1, 4, 1, {{255, 5, 0}, {255, 32, 0}, {255, 81, 0}, {255, 152, 0}, {255, 241, 0},
                      {182, 255, 0}, {104, 255, 0}}},
        // entries 187, then past 191 back to 2, 9, …
        {185, 1, 4, 186, {{255, 0, 8}, {255, 5, 0}, {255, 32, 0}, {255, 81, 0}, {255, 152, 0},
                          {255, 241, 0}, {182, 255, 0}}},
        // backward from 0 to 191: entry 192 is entry 0
        {0, 0, 3, 191, {{255, 1, 0}, {255, 22, 0}, {255, 65, 0}, {255, 129, 0}, {255, 213, 0},
                        {206, 255, 0}, {124, 255, 0}}},
    };
    for (const Case& c : cases) {
        MouseEffectState s;
        s.phase = c.phase;
        LedFrame leds(kMouseLedCount);
        MouseWaveStep(s, Light(c.level, true, c.fx), leds);
        EXPECT_EQ(s.phase, c.nextPhase);
        std::vector<LedColour> expected;
        for (Rgb z : c.zones) expected.push_back(Led(z, kBrightness[c.level]));
        SCOPED_TRACE(int(c.phase));
        ExpectZones(leds, expected);
    }
}

TEST(MouseWave, SingleColourScalesByTheWaveFactors) {
    const Rgb user{200, 100, 50};
    struct Case {
        uint8_t phase, fx, level, nextPhase;
        std::vector<uint8_t> alphas;
    } cases[] = {
        // factors 27, 49, 77, 109, 146, 188, 234 at brightness 175
        {0, 1, 3, 1, {18, 33, 52, 74, 99, 128, 159}},
        // entries 62 … 90, then 97 wraps to 1 and 8
        {60, 1, 4, 61, {163, 123, 88, 60, 35, 23, 44}},
        // backward from 0 to 95: entry 96 is entry 0
        {0, 0, 4, 95, {21, 41, 68, 98, 133, 175, 219}},
        // a phase left over from the colourful wave is brought into 0-95
        {150, 1, 4, 0, {23, 44, 72, 103, 139, 181, 226}},
    };
    for (const Case& c : cases) {
        MouseEffectState s;
        s.phase = c.phase;
        LedFrame leds(kMouseLedCount);
        MouseWaveStep(s, Light(c.level, false, c.fx, user), leds);
        EXPECT_EQ(s.phase, c.nextPhase);
        std::vector<LedColour> expected;
        for (uint8_t a : c.alphas) expected.push_back(Led(user, a));
        SCOPED_TRACE(int(c.phase));
        ExpectZones(leds, expected);
    }
}

// The zone ripple with the ring seeded as the device seeds it (entry 0 set).
struct MouseRipple : ::testing::Test {
    MouseRipple() {
        reactive.Clear();
        reactive.wave[0] = 1;
    }
    MouseEffectState s;
    ReactiveState reactive;
    LedFrame leds = LedFrame(kMouseLedCount);
};

TEST_F(MouseRipple, ForwardMarksZoneAfterZoneAndDecays) {
    const LightInfo light = Light(4, true, 1);
    MouseZoneRippleStep(s, reactive, light, leds);
    EXPECT_EQ(s.phase, 1);
    EXPECT_EQ(reactive.wave[1], 1);
    EXPECT_EQ(reactive.wave[0], 0);
    // Zone 0 marked at 255 and decayed once; colours spectrum[1 + 12·z].
    ExpectZones(leds, {{255, 3, 0, 214}, {255, 57, 0, 0}, {255, 176, 0, 0}, {182, 255, 0, 0},
                       {61, 255, 0, 0}, {4, 255, 0, 0}, {0, 255, 32, 0}});

    MouseZoneRippleStep(s, reactive, light, leds);
    MouseZoneRippleStep(s, reactive, light, leds);
    EXPECT_EQ(s.phase, 3);
    EXPECT_EQ(reactive.keyLevels[0], 135);
    EXPECT_EQ(reactive.keyLevels[1], 175);
    EXPECT_EQ(reactive.keyLevels[2], 215);
    EXPECT_EQ(reactive.keyLevels[3], 0);
    EXPECT_EQ(leds[11], (LedColour{255, 200, 0, 214}));  // zone 2: spectrum[27]
    EXPECT_EQ(leds[1], (LedColour{255, 73, 0, 174}));    // zone 1: spectrum[15]

    // The ring comes round after 23 steps and marks zone 0 again.
    for (int step = 4; step <= 23; ++step) MouseZoneRippleStep(s, reactive, light, leds);
    EXPECT_EQ(reactive.keyLevels[0], 0);
    MouseZoneRippleStep(s, reactive, light, leds);
    EXPECT_EQ(reactive.keyLevels[0], 215);
}

TEST_F(MouseRipple, BackwardEntersAtZoneSixAndWrapsThePhase) {
    const Rgb user{200, 100, 50};
    const LightInfo colourful = Light(4, true, 0);
    MouseZoneRippleStep(s, reactive, colourful, leds);
    EXPECT_EQ(s.phase, 191);
    EXPECT_EQ(reactive.wave[22], 1);
    // spectrum[191 + 12·z], wrapping at 192
    ExpectZones(leds, {{255, 0, 0, 214}, {255, 44, 0, 0}, {255, 152, 0, 0}, {206, 255, 0, 0},
                       {77, 255, 0, 0}, {8, 255, 0, 0}, {0, 255, 22, 0}});

    // Zone 0 decays with the bands of an effect other than 0 and 29: 35 → 25.
    const std::vector<uint8_t> zone0 = {175, 135, 95, 65, 35, 25, 17, 9, 8,
                                        7,   6,   5,  4,  3,  2,  1,  0};
    const LightInfo single = Light(4, false, 0, user);
    for (size_t i = 0; i < zone0.size(); ++i) {
        MouseZoneRippleStep(s, reactive, single, leds);
        ASSERT_EQ(reactive.keyLevels[0], zone0[i]) << "step " << i + 2;
    }
    // Step 18: the ring has reached entry 6, so zone 6 lights, the others are dark.
    EXPECT_EQ(reactive.keyLevels[6], 215);
    ExpectZones(leds, {Led(user, 0), Led(user, 0), Led(user, 0), Led(user, 0), Led(user, 0),
                       Led(user, 0), Led(user, 214)});
}

TEST(MouseReactiveFade, TriggerStartsLedsBelowTheCountWithRandomColours) {
    std::vector<uint32_t> values = {191, 192, 193, 500, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
    size_t calls = 0;
    const MouseRandomSource source = [&] { return values[calls++ % values.size()]; };

    MouseEffectState s;
    TriggerReactive(s, 13, source);
    EXPECT_EQ(calls, 13u);
    EXPECT_EQ(s.leds[0], (MouseLedReactive{MouseLedFade::Rising, 255, 191}));
    EXPECT_EQ(s.leds[1].colourIndex, 0);
    EXPECT_EQ(s.leds[2].colourIndex, 1);
    EXPECT_EQ(s.leds[3].colourIndex, 116);
    EXPECT_EQ(s.leds[12].state, MouseLedFade::Rising);
    EXPECT_EQ(s.leds[13], MouseLedReactive{});
    EXPECT_EQ(s.leds[14], MouseLedReactive{});
    EXPECT_TRUE(s.Fading());

    calls = 0;
    MouseEffectState all;
    TriggerReactive(all, 40, source);  // more than the mouse has: its 15 LEDs
    EXPECT_EQ(calls, kMouseLedCount);
    EXPECT_EQ(all.leds[14].state, MouseLedFade::Rising);

    MouseEffectState fallback;
    TriggerReactive(fallback, 2);  // std::rand
    EXPECT_EQ(fallback.leds[1].state, MouseLedFade::Rising);
    EXPECT_LT(fallback.leds[1].colourIndex, 192);
}

TEST(MouseReactiveFade, RisesToFullThenFallsToIdle) {
    MouseEffectState s;
    std::vector<uint32_t> values = {191, 500};
    size_t calls = 0;
    TriggerReactive(s, 2, [&] { return values[calls++]; });
    LedFrame leds(kMouseLedCount);
    const LightInfo light = Light(4, true, 1);

    // Triggered at 255: the first step keeps 255 and turns to falling.
    MouseReactiveFadeStep(s, light, leds);
    EXPECT_EQ(s.leds[0].state, MouseLedFade::Falling);
    EXPECT_EQ(leds[0], (LedColour{255, 0, 0, 254}));    // spectrum[191]
    EXPECT_EQ(leds[1], (LedColour{0, 41, 255, 254}));   // spectrum[116]
    EXPECT_EQ(leds[2], (LedColour{255, 1, 0, 0}));      // never triggered: level 0
    MouseReactiveFadeStep(s, light, leds);
    EXPECT_EQ(s.leds[0].level, 240);
    EXPECT_EQ(leds[0].alpha, 239);
    for (int step = 3; step <= 17; ++step) MouseReactiveFadeStep(s, light, leds);
    EXPECT_EQ(s.leds[0].level, 15);
    MouseReactiveFadeStep(s, light, leds);
    EXPECT_EQ(s.leds[0], (MouseLedReactive{MouseLedFade::Idle, 0, 191}));
    EXPECT_FALSE(s.Fading());
    MouseReactiveFadeStep(s, light, leds);  // stays at 0, no wrap
    EXPECT_EQ(s.leds[0].level, 0);
    EXPECT_EQ(leds[0].alpha, 0);
}

TEST(MouseReactiveFade, ClampsAtBothEndsAndUsesTheUserColour) {
    const Rgb user{200, 100, 50};
    MouseEffectState s;
    s.leds[0] = {MouseLedFade::Rising, 250, 0};
    s.leds[1] = {MouseLedFade::Rising, 100, 0};
    s.leds[2] = {MouseLedFade::Falling, 10, 0};
    s.leds[3] = {MouseLedFade::Falling, 16, 0};
    LedFrame leds(kMouseLedCount);
    MouseReactiveFadeStep(s, Light(2, false, 1, user), leds);
    EXPECT_EQ(s.leds[0], (MouseLedReactive{MouseLedFade::Falling, 255, 0}));
    EXPECT_EQ(s.leds[1], (MouseLedReactive{MouseLedFade::Rising, 115, 0}));
    EXPECT_EQ(s.leds[2], (MouseLedReactive{MouseLedFade::Idle, 0, 0}));
    EXPECT_EQ(s.leds[3], (MouseLedReactive{MouseLedFade::Falling, 1, 0}));
    EXPECT_EQ(leds[0], Led(user, 99));  // 100 × 255 ÷ 256
    EXPECT_EQ(leds[1], Led(user, 44));  // 100 × 115 ÷ 256
    EXPECT_EQ(leds[2], Led(user, 0));
}

}  // namespace
