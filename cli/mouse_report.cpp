#include "cli/mouse_report.h"

#include <algorithm>
#include <array>

#include "link/result_codes.h"

namespace {

struct StageRow {
    bool enabled;
    int dpi;
    int level;
    std::string colour;
    bool active;
};

std::vector<StageRow> StageRows(CZentrelMouseDevice& mouse) {
    const std::vector<DpiStage>& stages = mouse.Stages();
    const size_t shown = std::min(stages.size(), kMouseBlockStages);
    const uint16_t sensor = mouse.Dpi().sensor;
    const int active = mouse.ActiveStage();
    std::vector<StageRow> rows;
    for (size_t i = 0; i < shown; ++i) {
        const DpiStage& s = stages[i];
        rows.push_back({s.enabled != 0, mouse.StageDpi(i), LevelOfStageField(sensor, s.x),
                        ColourText(s.red, s.green, s.blue), static_cast<int>(i) == active});
    }
    return rows;
}

const char* Connection(const CZentrelMouseDevice& mouse) {
    return mouse.ThroughReceiver() ? "receiver" : "cable";
}

}  // namespace

MouseBattery ReadMouseBattery(CZentrelMouseDevice& mouse) {
    std::array<uint8_t, 6> record{};
    MouseBattery b;
    if (mouse.ReadMouseStatus(record) != kResultOk)
        return b;
    b.known = true;
    b.percent = record[0];
    b.charging = record[1];
    return b;
}

std::string ColourText(uint8_t red, uint8_t green, uint8_t blue) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", red, green, blue);
    return text;
}

std::string ShownOptionText(int value, int option) {
    std::string text = std::to_string(value);
    if (option != value)
        text += " (shown as option " + std::to_string(option) + ")";
    return text;
}

std::string EffectName(const CZentrelMouseDevice& mouse, int index) {
    const std::vector<std::string>& names = mouse.Library().effectNames;
    return index >= 0 && static_cast<size_t>(index) < names.size()
               ? names[static_cast<size_t>(index)]
               : std::string();
}

Json::Value MouseSettingsJson(CZentrelMouseDevice& mouse) {
    Json::Value v(Json::objectValue);
    v["connection"] = Connection(mouse);
    v["sensor_id"] = mouse.Dpi().sensor;
    v["active_stage"] = mouse.ActiveStage();
    Json::Value stages(Json::arrayValue);
    int index = 0;
    for (const StageRow& row : StageRows(mouse)) {
        Json::Value s(Json::objectValue);
        s["index"] = index++;
        s["enabled"] = row.enabled;
        s["dpi"] = row.dpi;
        s["level"] = row.level;
        s["colour"] = row.colour;
        s["active"] = row.active;
        stages.append(s);
    }
    v["stages"] = stages;
    const MouseSystem& m = mouse.System();
    v["report_rate"] = m.reportRate;
    v["report_rate_option"] = CZentrelMouseDevice::ReportRateOption(m.reportRate);
    v["lift_off"] = m.silentAltitude;
    v["lift_off_option"] = CZentrelMouseDevice::TwoWayOption(m.silentAltitude);
    v["linear_calibration"] = m.linearCalibration;
    v["linear_calibration_option"] = CZentrelMouseDevice::TwoWayOption(m.linearCalibration);
    v["ripple"] = m.ripple;
    v["ripple_option"] = CZentrelMouseDevice::TwoWayOption(m.ripple);
    v["debounce"] = m.keyDebounceTime;
    Json::Value sleep(Json::objectValue);
    sleep["ble1"] = m.bleSleep1;
    sleep["ble2"] = m.bleSleep2;
    sleep["dev1"] = m.deviceSleep1;
    sleep["dev2"] = m.deviceSleep2;
    v["sleep"] = sleep;
    const int effect = mouse.LightState().selectItem;
    Json::Value light(Json::objectValue);
    light["index"] = effect;
    light["name"] = EffectName(mouse, effect);
    v["light_effect"] = light;
    return v;
}

void PrintMouseSettings(std::FILE* out, CZentrelMouseDevice& mouse) {
    std::fprintf(out, "mouse by %s, sensor 0x%04x\n", Connection(mouse), mouse.Dpi().sensor);
    std::fprintf(out, "DPI stages:\n");
    int index = 0;
    for (const StageRow& row : StageRows(mouse)) {
        std::fprintf(out, "  %d  %-3s  %5d DPI  %s%s\n", index++, row.enabled ? "on" : "off",
                     row.dpi, row.colour.c_str(), row.active ? "  active" : "");
    }
    const MouseSystem& m = mouse.System();
    const auto twoWay = [](int value) {
        return ShownOptionText(value, CZentrelMouseDevice::TwoWayOption(value));
    };
    std::fprintf(out, "report rate:         %d (option %d)\n", m.reportRate,
                 CZentrelMouseDevice::ReportRateOption(m.reportRate));
    std::fprintf(out, "lift-off:            %s\n", twoWay(m.silentAltitude).c_str());
    std::fprintf(out, "linear calibration:  %s\n", twoWay(m.linearCalibration).c_str());
    std::fprintf(out, "ripple:              %s\n", twoWay(m.ripple).c_str());
    std::fprintf(out, "debounce:            %d\n", m.keyDebounceTime);
    std::fprintf(out, "sleep:               ble1 %d, ble2 %d, dev1 %d, dev2 %d\n", m.bleSleep1,
                 m.bleSleep2, m.deviceSleep1, m.deviceSleep2);
    const int effect = mouse.LightState().selectItem;
    const std::string name = EffectName(mouse, effect);
    const std::string named = name.empty() ? "" : " (" + name + ")";
    std::fprintf(out, "light effect:        %d%s\n", effect, named.c_str());
}

Json::Value BatteryJson(const MouseBattery& battery) {
    if (!battery.known)
        return Json::Value();
    Json::Value v(Json::objectValue);
    v["percent"] = battery.percent;
    v["charging"] = battery.charging;
    return v;
}

void PrintBattery(std::FILE* out, const MouseBattery& battery) {
    if (!battery.known) {
        std::fprintf(out, "battery:             not available\n");
        return;
    }
    std::fprintf(out, "battery:             %d%%, charging state %d\n", battery.percent,
                 battery.charging);
}
