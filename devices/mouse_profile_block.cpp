#include "devices/mouse_profile_block.h"

namespace {

constexpr uint8_t kEffectsOnTheMouse = 12;  // an effect of 12 or more is sent as 0

// The device takes the speed reversed: level 0-4 → 4-0.
uint8_t Reversed(uint8_t value) { return value <= 4 ? static_cast<uint8_t>(4 - value) : 0; }

uint8_t Low(uint16_t v) { return static_cast<uint8_t>(v & 0xFF); }

}  // namespace

MouseBlock BuildMouseBlock(uint8_t firstByte, const LightInfo& light, const MouseSystem& s,
                           int activeStage, const std::vector<DpiStage>& stages) {
    MouseBlock b{};
    b[0] = firstByte;
    b[1] = light.selectItem >= kEffectsOnTheMouse ? 0 : light.selectItem;
    b[2] = light.light;
    b[3] = Reversed(light.speed);
    b[4] = light.fx;
    b[5] = light.multiColor;
    b[6] = light.red;
    b[7] = light.green;
    b[8] = light.blue;
    b[11] = Low(s.reportRate);
    b[12] = static_cast<uint8_t>(activeStage);
    for (size_t i = 0; i < kMouseBlockStages && i < stages.size(); ++i) {
        const DpiStage& st = stages[i];
        uint8_t* p = b.data() + 14 + 9 * i;
        p[0] = st.enabled;
        p[1] = st.xy;
        p[2] = Low(st.x);
        p[3] = static_cast<uint8_t>(st.x >> 8);
        p[4] = Low(st.y);
        p[5] = static_cast<uint8_t>(st.y >> 8);
        p[6] = st.red;
        p[7] = st.green;
        p[8] = st.blue;
    }
    b[77] = Low(s.bleSleep1);
    b[78] = Low(s.bleSleep2);
    b[79] = Low(s.deviceSleep1);
    b[80] = Low(s.deviceSleep2);
    b[81] = Low(s.keyDebounceTime);
    b[82] = Low(s.silentAltitude);
    b[83] = Low(s.linearCalibration);
    b[84] = Low(s.ripple);
    return b;
}

MouseBlockValues ReadMouseBlock(const MouseBlock& b) {
    MouseBlockValues v;
    v.effect = b[1];
    v.light = b[2];
    v.speed = Reversed(b[3]);
    v.multiColor = b[5];
    v.red = b[6];
    v.green = b[7];
    v.blue = b[8];
    v.activeStage = b[12];
    v.system.reportRate = b[11];
    v.system.linearCalibration = b[83];
    v.system.ripple = b[84];
    v.system.keyDebounceTime = b[81];
    v.system.bleSleep1 = b[77];
    v.system.bleSleep2 = b[78];
    v.system.deviceSleep1 = b[79];
    v.system.deviceSleep2 = b[80];
    return v;
}
