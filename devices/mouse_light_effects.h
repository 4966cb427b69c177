// The mouse's own lighting preview: its LED zones, its effect table and the
// three effect steps of its lighting pass (wave, zone ripple, reactive fade),
// plus the reactive trigger of its synchronisation reader. Plain functions
// over state the device owns; no threads, no clock.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "devices/preview_engine.h"
#include "profiles/profile_records.h"

// ---- LED zones ----

// The mouse picture has up to 15 LEDs in 7 zones of two or three LEDs; the
// wave and zone ripple colour a zone at a time.
inline constexpr size_t kMouseLedCount = 15;
inline constexpr size_t kMouseZoneCount = 7;

struct MouseLedZone {
    std::array<uint8_t, 3> leds{};
    uint8_t count = 0;
};

inline constexpr std::array<MouseLedZone, kMouseZoneCount> kMouseZones = {{
    {{0, 13, 0}, 2},
    {{1, 12, 0}, 2},
    {{2, 11, 0}, 2},
    {{3, 10, 0}, 2},
    {{4, 9, 0}, 2},
    {{5, 8, 0}, 2},
    {{6, 14, 7}, 3},
}};

// ---- effect table ----

// What the mouse's lighting pass plays for the effect index of its light mirror.
enum class MouseEffectKind : uint8_t {
    Static,               // 0
    Breathing,            // 1
    Wave,                 // 2: MouseWaveStep
    Spectrum,             // 3
    ZoneRipple,           // 4: MouseZoneRippleStep
    BreathingFourColour,  // 5
    Flash,                // 6
    ReactiveFade,         // 7: MouseReactiveFadeStep
    FlashFourColour,      // 8
    Off,                  // 10
    Custom,               // 9 and above 10: the custom step runner, every pass
};

inline constexpr uint8_t kMouseEffectZoneRipple = 4;
inline constexpr uint8_t kMouseEffectReactiveFade = 7;

MouseEffectKind KindOf(uint8_t effect);
// Effects of the table run one step each time the tick counter reaches
// MouseTicksFor(speed); the others run the custom step runner on every pass.
bool MouseEffectIsTable(uint8_t effect);
// Table effects whose every step draws the same frame (static, off).
bool MouseEffectIsSteady(MouseEffectKind kind);
inline uint8_t MouseTicksFor(uint8_t speed) { return TicksOf(speed); }

// ---- effect state ----

enum class MouseLedFade : uint8_t { Idle = 0, Rising = 1, Falling = 2 };

// Reactive-fade state of one LED.
struct MouseLedReactive {
    MouseLedFade state = MouseLedFade::Idle;
    uint8_t level = 0;
    uint8_t colourIndex = 0;  // spectrum entry, 0-191
    bool operator==(const MouseLedReactive&) const = default;
};

// What the mouse's own steps remember between frames. The per-key levels and
// the wave ring of the zone ripple are the device base's ReactiveState (its
// ClearReactive and the wave-ring seed apply to them), so the ripple step
// takes that by reference instead of keeping a copy here.
struct MouseEffectState {
    uint8_t phase = 0;  // shared by the wave and the zone ripple
    std::array<MouseLedReactive, kMouseLedCount> leds{};

    void Clear() { *this = MouseEffectState{}; }
    // True while some LED is still rising or falling.
    bool Fading() const;
};

// ---- effect steps ----
// `light` is the device's light mirror: effect, brightness level ("Light"),
// speed, colourful flag ("MultiColor"), user colour and direction ("Fx",
// non-zero = forward). Every step writes every record of `leds`; LEDs of the
// zone table beyond the frame are skipped, records beyond the 15 LEDs the mouse
// has are turned off.

// Wave: colourful, the spectrum runs across the zones 7 entries apart; single
// colour, the user colour with the 96-entry wave factors, 7 entries apart.
void MouseWaveStep(MouseEffectState& s, const LightInfo& light, LedFrame& leds);

// Zone ripple: the wave ring marks zone levels at 255, rotates one place in the
// direction, and every zone level decays one step; zone z is coloured with
// spectrum[phase + 12·z] (colourful) or the user colour, alpha
// brightness × zone level ÷ 256.
void MouseZoneRippleStep(MouseEffectState& s, ReactiveState& reactive, const LightInfo& light,
                         LedFrame& leds);

// Reactive fade: rising LEDs grow by 15 to 255 and turn to falling, falling
// LEDs drop by 15 to 0 and go idle; colour spectrum[colour index] (colourful)
// or the user colour, alpha brightness × LED level ÷ 256.
void MouseReactiveFadeStep(MouseEffectState& s, const LightInfo& light, LedFrame& leds);

// ---- reactive trigger ----

// A source of random numbers; the colour index is its value mod 192.
using MouseRandomSource = std::function<uint32_t()>;

// The trigger of a 1027 report (the caller checks that the effect is the
// reactive fade): every LED below ledCount (at most 15) starts rising at level
// 255 with a random spectrum colour. An empty source uses std::rand.
void TriggerReactive(MouseEffectState& s, size_t ledCount, const MouseRandomSource& random = {});
