#include "shell/mouse_page_state.h"

#include "devices/zentrel_mouse_device.h"

MousePageState TakeMousePageState(CZentrelMouseDevice& mouse) {
    MousePageState s;
    const auto& info = mouse.InfoBlock();
    s.valid = info[0] == 0xAA && info[1] == 0x55;  // read from the mouse at least once
    s.dpi = mouse.Dpi();
    s.levels = DpiLevelRange(s.dpi);
    const std::vector<DpiStage>& stages = mouse.Stages();
    for (size_t i = 0; i < s.stages.size() && i < stages.size(); ++i) {
        MousePageStage& page = s.stages[i];
        page.enabled = stages[i].enabled != 0;
        page.level = LevelOfStageField(s.dpi.sensor, stages[i].x);
        page.dpi = mouse.StageDpi(i);
        page.colour = Rgb{stages[i].red, stages[i].green, stages[i].blue};
    }
    s.activeStage = mouse.ActiveStage();
    s.system = mouse.System();
    s.reportRateOption = CZentrelMouseDevice::ReportRateOption(s.system.reportRate);
    s.liftOffOption = CZentrelMouseDevice::TwoWayOption(s.system.silentAltitude);
    s.calibrationOption = CZentrelMouseDevice::TwoWayOption(s.system.linearCalibration);
    s.rippleOption = CZentrelMouseDevice::TwoWayOption(s.system.ripple);
    return s;
}
