#include "sim/sim_memory.h"

#include <algorithm>

namespace {

void PutU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v & 0xFF);
    p[1] = static_cast<uint8_t>(v >> 8);
}

struct Triple {
    uint8_t category, param1, param2;
};

// The mouse's eleven buttons in their factory slots.
constexpr Triple kMouseButtons[] = {
    {0x10, 0x01, 0x00}, {0x10, 0x02, 0x00}, {0x10, 0x04, 0x00}, {0x10, 0x10, 0x00},
    {0x10, 0x08, 0x00}, {0x13, 0x01, 0x00}, {0x13, 0x02, 0x00}, {0x13, 0x03, 0x00},
    {0xA0, 0x1B, 0x00}, {0x16, 0x90, 0x01}, {0x14, 0x78, 0x02}};

// Keyboard key positions with a key: (position, factory function). Plain keys
// carry their keyboard usage in param2, modifiers their bit in param1.
struct Position {
    uint8_t position;
    Triple function;
};

std::vector<Position> KeyboardPositions() {
    static const uint8_t plain[][2] = {
        {0, 41}, {1, 58}, {2, 59}, {3, 60}, {4, 61}, {5, 62}, {6, 63}, {7, 64}, {8, 65}, {9, 66},
        {10, 67}, {11, 68}, {12, 69}, {13, 70}, {14, 71}, {15, 72}, {21, 53}, {22, 30}, {23, 31},
        {24, 32}, {25, 33}, {26, 34}, {27, 35}, {28, 36}, {29, 37}, {30, 38}, {31, 39}, {32, 45},
        {33, 46}, {34, 42}, {35, 73}, {36, 74}, {37, 75}, {38, 83}, {39, 84}, {40, 85}, {41, 86},
        {42, 43}, {43, 20}, {44, 26}, {45, 8}, {46, 21}, {47, 23}, {48, 28}, {49, 24}, {50, 12},
        {51, 18}, {52, 19}, {53, 47}, {54, 48}, {55, 49}, {56, 76}, {57, 77}, {58, 78}, {59, 95},
        {60, 96}, {61, 97}, {62, 50}, {63, 57}, {64, 4}, {65, 22}, {66, 7}, {67, 9}, {68, 10},
        {69, 11}, {70, 13}, {71, 14}, {72, 15}, {73, 51}, {74, 52}, {75, 40}, {76, 92}, {77, 93},
        {78, 94}, {79, 138}, {80, 139}, {81, 144}, {82, 145}, {83, 136}, {85, 29}, {86, 27},
        {87, 6}, {88, 25}, {89, 5}, {90, 17}, {91, 16}, {92, 54}, {93, 55}, {94, 56}, {96, 82},
        {97, 89}, {98, 90}, {99, 91}, {100, 135}, {101, 137}, {102, 100}, {103, 133}, {108, 44},
        {111, 101}, {113, 80}, {114, 81}, {115, 79}, {116, 98}, {117, 99}, {118, 88}, {119, 87}};
    static const uint8_t modifiers[][2] = {{84, 2}, {95, 32}, {105, 1}, {106, 8},
                                           {107, 4}, {109, 64}, {112, 16}, {125, 128}};
    std::vector<Position> rows;
    for (const auto& p : plain) rows.push_back({p[0], {0x20, 0, p[1]}});
    for (const auto& m : modifiers) rows.push_back({m[0], {0x20, m[1], 0}});
    rows.push_back({16, {0xA0, 27, 0}});
    rows.push_back({17, {0xA0, 36, 0}});
    rows.push_back({110, {0xA0, 1, 0}});
    for (uint8_t i = 0; i < 5; ++i) rows.push_back({static_cast<uint8_t>(120 + i), {0xD0, 162, static_cast<uint8_t>(1 + i)}});
    std::sort(rows.begin(), rows.end(), [](const Position& a, const Position& b) { return a.position < b.position; });
    return rows;
}

// DPI level of a value for the sensors the mouse knows (base 100, step 50 otherwise).
uint16_t DpiLevel(uint16_t sensor, int dpi) {
    if (sensor == 0x3104) return static_cast<uint16_t>(dpi <= 2600 ? (dpi - 400) / 50 + 2 : (dpi - 3000) / 100 + 54);
    if (sensor == 0x8925) return static_cast<uint16_t>((dpi - 50) / 50);
    return static_cast<uint16_t>((dpi - 100) / 50);
}

void FillMouseSettings(SimMemory& m, uint16_t sensor) {
    static const int dpis[] = {400, 800, 1600, 2400, 3200, 4800, 6400};
    static const uint8_t colours[][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0},
                                         {0, 255, 255}, {255, 0, 255}, {255, 255, 255}};
    for (int p = 0; p < m.profiles; ++p) {
        uint8_t* b = m.settings.data() + p * 128;
        b[0] = static_cast<uint8_t>(p);
        b[1] = 3;   // spectrum
        b[2] = 4;   // full brightness
        b[3] = 2;   // middle speed (reversed on the wire)
        b[5] = 1;   // colourful
        b[6] = 255;
        b[11] = 3;  // report rate index
        b[12] = 1;  // active stage
        for (int i = 0; i < 7; ++i) {
            uint8_t* s = b + 14 + 9 * i;
            const uint16_t level = DpiLevel(sensor, dpis[i]);
            s[0] = i < 5 ? 1 : 0;
            s[1] = 0;
            PutU16(s + 2, level);
            PutU16(s + 4, level);
            std::copy_n(colours[i], 3, s + 6);
        }
        b[77] = 10;
        b[78] = 30;
        b[79] = 10;
        b[80] = 30;
        b[81] = 2;
        b[82] = 1;
    }
    m.settings[0] = 0;  // active profile
}

// Profile blocks with a breathing effect (`breathing`: the kind's mode number for it).
void FillLightSettings(SimMemory& m, size_t stride, uint8_t breathing) {
    for (int p = 0; p < m.profiles; ++p) {
        uint8_t* b = m.settings.data() + p * stride;
        b[1] = breathing;
        b[2] = 4;
        b[3] = 2;
        b[5] = 1;
        b[6] = 0;
        b[7] = 128;
        b[8] = 255;
    }
    m.settings[0] = 0;
}

}  // namespace

const char* SimKindName(SimKind kind) {
    switch (kind) {
        case SimKind::Mouse: return "mouse";
        case SimKind::Keyboard: return "keyboard";
        case SimKind::MousePad: return "mousepad";
        case SimKind::Headset: return "headset";
    }
    return "mouse";
}

bool SimKindFromName(const std::string& name, SimKind& kind) {
    for (SimKind k : {SimKind::Mouse, SimKind::Keyboard, SimKind::MousePad, SimKind::Headset}) {
        if (name == SimKindName(k)) {
            kind = k;
            return true;
        }
    }
    return false;
}

SimSettingsLayout SettingsLayout(SimKind kind) {
    switch (kind) {
        case SimKind::Mouse: return {512, 128, 86, 128, 86};
        case SimKind::Keyboard: return {256, 25, 45, 25, 45};
        case SimKind::MousePad:
        case SimKind::Headset: return {320, 25, 45, 64, 21};
    }
    return {512, 128, 86, 128, 86};
}

SimMemory FactoryMemory(SimKind kind, const SimOptions& o) {
    SimMemory m;
    m.profiles = std::clamp(o.profiles, 1, 4);
    m.firmwareVersion = o.firmwareVersion;
    m.settings.assign(SettingsLayout(kind).areaSize, 0);
    m.keyTable.assign(kSimKeyTableSize, 0);
    m.ledMap.assign(kSimKeyTableSize, 0);
    m.lightTables.assign(kSimLightBlocks * kSimLightBlockSize, 0);
    m.macroData.assign(static_cast<size_t>(o.macroCapacity) * 128, 0);
    m.shootData.assign(kSimShootCapacity, 0);
    m.lightFrame.assign(kSimLightBlockSize, 0);
    m.lightReports.assign(12, std::vector<uint8_t>(kSimHeadsetLightReport, 0));

    m.info[0] = 0xAA;
    m.info[1] = 0x55;
    m.info[kSimInfoHostFlag] = o.hostFlag;
    m.info[kSimInfoMacroCapacity] = o.macroCapacity;
    m.status[0] = o.battery;
    m.status[1] = o.charging;

    switch (kind) {
        case SimKind::Mouse: {
            const int slots = o.keySlots < 0 ? 11 : std::min(o.keySlots, 255);
            m.info[kSimInfoKeySlots] = static_cast<uint8_t>(slots);
            PutU16(&m.info[kSimInfoSensorId], o.sensorId);
            m.info[kSimInfoDpiStep] = 50;
            PutU16(&m.info[kSimInfoHighestLevel], o.sensorId == 0x8925 ? 149 : 104);
            PutU16(&m.info[kSimInfoDpiBase], 100);
            for (int s = 0; s < slots && s < 11; ++s) {
                const Triple& t = kMouseButtons[s];
                m.keyTable[s * 3] = t.category;
                m.keyTable[s * 3 + 1] = t.param1;
                m.keyTable[s * 3 + 2] = t.param2;
            }
            FillMouseSettings(m, o.sensorId);
            break;
        }
        case SimKind::Keyboard: {
            const std::vector<Position> rows = KeyboardPositions();
            const int slots = o.keySlots < 0 ? static_cast<int>(rows.size()) : std::min(o.keySlots, 255);
            m.info[kSimInfoKeySlots] = static_cast<uint8_t>(slots);
            for (int s = 0; s < slots && s < static_cast<int>(rows.size()); ++s) {
                m.keyTable[s * 3] = rows[s].function.category;
                m.keyTable[s * 3 + 1] = rows[s].function.param1;
                m.keyTable[s * 3 + 2] = rows[s].function.param2;
                m.ledMap[s] = rows[s].position;  // the LED sits under its key
            }
            FillLightSettings(m, 25, 5);
            break;
        }
        case SimKind::MousePad:
            m.info[kSimInfoKeySlots] = 0;
            m.status[5] = o.phoneType;
            FillLightSettings(m, 64, 2);
            break;
        case SimKind::Headset:
            m.info[0] = m.info[1] = 0;  // the headset has no information block
            FillLightSettings(m, 64, 2);
            break;
    }
    return m;
}
