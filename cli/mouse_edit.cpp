#include "cli/mouse_edit.h"

#include "cli/mouse_report.h"
#include "devices/mouse_dpi.h"

namespace {

MouseField Plain(const std::string& label, const char* member, int value) {
    MouseField f{label, std::to_string(value), Json::Value(Json::objectValue)};
    f.json[member] = value;
    return f;
}

// A two-option setting: the page shows option 0 for values other than 0 and 1.
MouseField TwoWay(const std::string& label, const char* member, int value) {
    MouseField f = Plain(label, member, value);
    f.text = ShownOptionText(value, CZentrelMouseDevice::TwoWayOption(value));
    return f;
}

int SleepValue(const MouseSystem& m, MouseSleep which) {
    switch (which) {
        case MouseSleep::Ble1:
            return m.bleSleep1;
        case MouseSleep::Ble2:
            return m.bleSleep2;
        case MouseSleep::Device1:
            return m.deviceSleep1;
        case MouseSleep::Device2:
            return m.deviceSleep2;
    }
    return 0;
}

MouseField StageDpiField(CZentrelMouseDevice& mouse, size_t stage) {
    const std::vector<DpiStage>& stages = mouse.Stages();
    const int level =
        stage < stages.size() ? LevelOfStageField(mouse.Dpi().sensor, stages[stage].x) : 0;
    const int dpi = mouse.StageDpi(stage);
    MouseField f{"stage " + std::to_string(stage) + " DPI",
                 std::to_string(dpi) + " (level " + std::to_string(level) + ")",
                 Json::Value(Json::objectValue)};
    f.json["stage"] = static_cast<int>(stage);
    f.json["dpi"] = dpi;
    f.json["level"] = level;
    return f;
}

MouseField StageEnabledField(CZentrelMouseDevice& mouse, size_t stage) {
    const std::vector<DpiStage>& stages = mouse.Stages();
    const bool on = stage < stages.size() && stages[stage].enabled != 0;
    MouseField f{"stage " + std::to_string(stage), on ? "on" : "off",
                 Json::Value(Json::objectValue)};
    f.json["stage"] = static_cast<int>(stage);
    f.json["enabled"] = on;
    return f;
}

}  // namespace

MouseField DescribeMouseField(CZentrelMouseDevice& mouse, const MouseRequest& r) {
    const MouseSystem& m = mouse.System();
    const auto stage = static_cast<size_t>(r.stage);
    switch (r.action) {
        case MouseAction::Dpi:
            return StageDpiField(mouse, stage);
        case MouseAction::Stage:
            return StageEnabledField(mouse, stage);
        case MouseAction::ActiveStage:
            return Plain("active stage", "active_stage", mouse.ActiveStage());
        case MouseAction::Rate: {
            MouseField f = Plain("report rate", "report_rate", m.reportRate);
            const int option = CZentrelMouseDevice::ReportRateOption(m.reportRate);
            f.json["report_rate_option"] = option;
            f.text = ShownOptionText(m.reportRate, option);
            return f;
        }
        case MouseAction::LiftOff:
            return TwoWay("lift-off", "lift_off", m.silentAltitude);
        case MouseAction::Calibration:
            return TwoWay("linear calibration", "linear_calibration", m.linearCalibration);
        case MouseAction::Ripple:
            return TwoWay("ripple", "ripple", m.ripple);
        case MouseAction::Debounce:
            return Plain("debounce", "debounce", m.keyDebounceTime);
        case MouseAction::Sleep: {
            const char* name = MouseSleepName(r.sleep);
            const int value = SleepValue(m, r.sleep);
            MouseField f{std::string("sleep ") + name, std::to_string(value),
                         Json::Value(Json::objectValue)};
            f.json["sleep"][name] = value;
            return f;
        }
        case MouseAction::Show:
        case MouseAction::Defaults:
        case MouseAction::Buttons:
        case MouseAction::Assign:
            break;
    }
    return {};
}

MouseCommit ApplyMouseEdit(CZentrelMouseDevice& mouse, const MouseRequest& r) {
    const auto stage = static_cast<size_t>(r.stage);
    switch (r.action) {
        case MouseAction::Dpi:
            return mouse.SetStageDpi(stage, r.value);
        case MouseAction::Stage:
            return mouse.SetStageEnabled(stage, r.on);
        case MouseAction::ActiveStage:
            return mouse.SelectActiveStage(stage);
        case MouseAction::Rate:
            return mouse.SetReportRate(r.value);
        case MouseAction::LiftOff:
            return mouse.SetLiftOff(r.value);
        case MouseAction::Calibration:
            return mouse.SetLinearCalibration(r.value);
        case MouseAction::Ripple:
            return mouse.SetRipple(r.value);
        case MouseAction::Debounce:
            return mouse.SetDebounce(r.value);
        case MouseAction::Sleep:
            return mouse.SetSleep(r.sleep, r.value);
        case MouseAction::Show:
        case MouseAction::Defaults:
        case MouseAction::Buttons:
        case MouseAction::Assign:
            break;
    }
    return {};
}
