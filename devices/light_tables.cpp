#include "devices/light_tables.h"

namespace {

constexpr std::array<uint8_t, 64> kRisingHalf = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

constexpr std::array<uint8_t, 48> kWaveHalf = {
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

constexpr std::array<uint8_t, 32> kRise = {1,   3,   5,   7,   10,  14,  18,  22,  26,  32,  38,
                                           44,  50,  57,  65,  73,  81,  89,  99,  109, 119, 129,
                                           140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
constexpr std::array<uint8_t, 32> kFall = {248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124,
                                           114, 104, 94,  85,  77,  69,  61,  53,  47,  41,  35,
                                           29,  24,  20,  16,  12,  8,   6,   4,   2,   0};

// A table that rises through `half` and falls back through it in reverse.
template <size_t N>
constexpr std::array<uint8_t, 2 * N> Mirrored(const std::array<uint8_t, N>& half) {
    std::array<uint8_t, 2 * N> t{};
    for (size_t k = 0; k < N; ++k) {
        t[k] = half[k];
        t[2 * N - 1 - k] = half[k];
    }
    return t;
}

constexpr std::array<Rgb, kSpectrumSize> MakeSpectrum() {
    std::array<Rgb, kSpectrumSize> s{};
    for (size_t k = 0; k < 32; ++k) {
        const uint8_t up = kRise[k], down = kFall[k];
        s[k] = {255, up, 0};
        s[32 + k] = {down, 255, 0};
        s[64 + k] = {0, 255, up};
        s[96 + k] = {0, down, 255};
        s[128 + k] = {up, 0, 255};
        s[160 + k] = {255, 0, down};
    }
    s[192] = s[0];
    return s;
}

constexpr auto kCurve = Mirrored(kRisingHalf);
constexpr auto kWave = Mirrored(kWaveHalf);
constexpr auto kSpectrum = MakeSpectrum();

}  // namespace

const std::array<uint8_t, 128>& Curve128() { return kCurve; }
const std::array<Rgb, kSpectrumSize>& Spectrum() { return kSpectrum; }
const std::array<uint8_t, 96>& Wave96() { return kWave; }
