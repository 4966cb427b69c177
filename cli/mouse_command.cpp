#include "cli/mouse_command.h"

#include "cli/result_text.h"

#include <string>

#include <json/json.h>

#include "cli/discovery_session.h"
#include "cli/mouse_buttons.h"
#include "cli/mouse_commit.h"
#include "cli/mouse_edit.h"
#include "cli/mouse_report.h"
#include "cli/mouse_request.h"
#include "cli/profile_folder.h"
#include "devices/mouse_dpi.h"
#include "link/result_codes.h"

namespace {

// What the mouse answered to a read or to the settings write.
std::string AnswerText(int result) { return ResultText(result, "mouse"); }

int Show(CZentrelMouseDevice& mouse, const MouseRequest& r, std::FILE* out) {
    const MouseBattery battery = ReadMouseBattery(mouse);
    if (r.json) {
        Json::Value v = MouseSettingsJson(mouse);
        v["battery"] = BatteryJson(battery);
        PrintJson(out, v);
    } else {
        PrintMouseSettings(out, mouse);
        PrintBattery(out, battery);
    }
    return 0;
}

int Edit(CZentrelMouseDevice& mouse, const MouseRequest& r, std::FILE* out, std::FILE* err) {
    const MouseField before = DescribeMouseField(mouse, r);
    const MouseCommit commit = ApplyMouseEdit(mouse, r);
    const MouseField after = DescribeMouseField(mouse, r);
    if (r.json) {
        Json::Value v = CommitJson(commit);
        for (const std::string& member : after.json.getMemberNames())
            v[member] = after.json[member];
        PrintJson(out, v);
    } else if (before.text == after.text) {
        const bool keptLevel =
            r.action == MouseAction::Dpi && !SensorTakesLevelEdits(mouse.Dpi().sensor);
        std::fprintf(out, "%s: %s (unchanged%s)\n", after.label.c_str(), after.text.c_str(),
                     keptLevel ? ": this sensor's levels are not changed by edits" : "");
    } else {
        std::fprintf(out, "%s: %s -> %s\n", after.label.c_str(), before.text.c_str(),
                     after.text.c_str());
    }
    return CommitStatus(r, commit, err);
}

int Defaults(CZentrelMouseDevice& mouse, const MouseRequest& r, std::FILE* out, std::FILE* err) {
    MouseCommit commit;
    commit.saved = mouse.RestoreMouseDefaults();
    commit.sent = mouse.WriteProfileBlock(0, 0);
    if (r.json) {
        Json::Value v = CommitJson(commit);
        v["settings"] = MouseSettingsJson(mouse);
        PrintJson(out, v);
    } else {
        std::fprintf(out, "default profile restored:\n");
        PrintMouseSettings(out, mouse);
    }
    return CommitStatus(r, commit, err);
}

CZentrelMouseDevice* FindMouse(const std::vector<SessionDevice>& devices) {
    for (const SessionDevice& d : devices)
        if (d.kind == "mouse")
            return dynamic_cast<CZentrelMouseDevice*>(d.device);
    return nullptr;
}

}  // namespace

int RunMouseCommand(int argc, char** argv, int first, std::FILE* out, std::FILE* err) {
    MouseRequest r;
    std::string error;
    if (const int code = ParseMouseRequest(argc, argv, first, r, error); code != 0) {
        std::fprintf(err, "r730ctl: %s\n", error.c_str());
        return code;
    }
    DiscoverySession session;
    if (!session.ScanOrReport(err)) return 1;
    CZentrelMouseDevice* mouse = FindMouse(session.Devices());
    if (!mouse) {
        std::fprintf(err, "r730ctl: no mouse found\n");
        return 1;
    }
    if (!mouse->CommandLink().Opened()) {
        std::fprintf(err, "r730ctl: cannot open the mouse (permission?)\n");
        return 1;
    }
    const int read = ReadMouseWithSelectedProfile(*mouse);
    if (read != kResultOk) {
        std::fprintf(err, "r730ctl: mouse %s: cannot read the mouse: %s (result %d)\n",
                     r.name.c_str(), AnswerText(read).c_str(), read);
        return 1;
    }
    switch (r.action) {
        case MouseAction::Show:
            return Show(*mouse, r, out);
        case MouseAction::Defaults:
            return Defaults(*mouse, r, out, err);
        case MouseAction::Buttons:
            return ShowMouseButtons(*mouse, r, out);
        case MouseAction::Assign:
            return AssignMouseButton(*mouse, r, out, err);
        default:
            return Edit(*mouse, r, out, err);
    }
}
