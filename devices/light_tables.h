// Constant tables of the lighting preview: brightness and speed levels,
// the breathing curve, the colour spectrum and the wave factors.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr std::array<uint8_t, 5> kBrightness = {0, 50, 100, 175, 255};
// Ticks between two frames of an effect, by speed level.
inline constexpr std::array<uint8_t, 5> kTicksPerFrame = {28, 23, 18, 13, 7};
inline constexpr std::array<Rgb, 4> kFourColours = {{{0, 255, 180}, {0, 255, 0}, {255, 255, 255}, {255, 0, 0}}};

inline constexpr size_t kSpectrumSize = 193;  // entry 192 repeats entry 0

const std::array<uint8_t, 128>& Curve128();
const std::array<Rgb, kSpectrumSize>& Spectrum();
const std::array<uint8_t, 96>& Wave96();

// brightness[level] for a level byte of any value (levels above 4 count as 4).
inline uint8_t BrightnessOf(uint8_t level) { return kBrightness[level > 4 ? 4 : level]; }
inline uint8_t TicksOf(uint8_t speed) { return kTicksPerFrame[speed > 4 ? 4 : speed]; }
