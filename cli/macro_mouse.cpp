// `r730ctl DEVICE macro delete` and `mouse macro send`: the key fix-up in
// every profile and the key data the mouse then gets.
#include <unistd.h>

#include <json/json.h>

#include "cli/discovery_session.h"
#include "cli/macro_context.h"
#include "cli/profile_folder.h"
#include "cli/result_text.h"
#include "devices/macro_delete.h"
#include "devices/zentrel_mouse_device.h"
#include "link/result_codes.h"
#include "profiles/data_folders.h"
#include "profiles/profile_list.h"

namespace {


Json::Value KeyDataJson(const KeyDataResult& d) {
    Json::Value v(Json::objectValue);
    v["r"] = d.r;
    v["macros"] = d.macros;
    v["key_table"] = d.keyTableSent ? Json::Value(d.keyTable) : Json::Value();
    return v;
}

// What the key data result means, and the exit code for it.
int ReportKeyData(const MacroContext& c, const KeyDataResult& d) {
    if (d.r > 0) {
        const KeyDataMessage m = MessageForKeyData(d.r, KeyDataPath::kEdit, 0);
        std::fprintf(c.err, "r730ctl: %s: the macros do not fit the mouse (result %d, %s %d); nothing was sent\n",
                     c.Name().c_str(), d.r, m.id.c_str(), m.value);
        return kMacroExitRefused;
    }
    if (d.r < 0) {
        std::fprintf(c.err, "r730ctl: %s: writing the key data to the mouse failed (message_text_7)\n",
                     c.Name().c_str());
        return kMacroExitRefused;
    }
    if (d.keyTable != kResultOk) {
        std::fprintf(c.err, "r730ctl: %s: key table: %s (result %d)\n", c.Name().c_str(),
                     ResultText(d.keyTable, "mouse").c_str(), d.keyTable);
        return kMacroExitRefused;
    }
    return 0;
}

CZentrelMouseDevice* FindMouse(const std::vector<SessionDevice>& devices) {
    for (const SessionDevice& d : devices)
        if (d.kind == "mouse") return dynamic_cast<CZentrelMouseDevice*>(d.device);
    return nullptr;
}

// The mouse read as `r730ctl mouse` reads it; null when there is none (after
// a message when it is there but cannot be read: *failed is set then).
CZentrelMouseDevice* ReadMouse(const MacroContext& c, DiscoverySession& session, bool& failed) {
    failed = false;
    if (!session.Scan()) return nullptr;
    CZentrelMouseDevice* mouse = FindMouse(session.Devices());
    if (!mouse) return nullptr;
    failed = true;
    if (!mouse->CommandLink().Opened()) {
        std::fprintf(c.err, "r730ctl: %s: cannot open the mouse (permission?)\n", c.Name().c_str());
        return nullptr;
    }
    const int read = ReadMouseWithSelectedProfile(*mouse);
    if (read != kResultOk) {
        std::fprintf(c.err, "r730ctl: %s: cannot read the mouse: %s (result %d)\n", c.Name().c_str(),
                     ResultText(read, "mouse").c_str(), read);
        return nullptr;
    }
    failed = false;
    return mouse;
}

}  // namespace

int SendMacrosCommand(const MacroContext& c) {
    if (c.kind != "mouse") {
        std::fprintf(c.err, "r730ctl: %s: there is no keyboard device yet: its macros are files only\n",
                     c.Name().c_str());
        return kMacroExitUsage;
    }
    if (c.words.size() != 1) return c.Usage("send [--json]");
    DiscoverySession session;
    bool failed = false;
    CZentrelMouseDevice* mouse = ReadMouse(c, session, failed);
    if (!mouse) return failed ? kMacroExitRefused : c.Refused("no mouse found");
    const KeyDataResult d = mouse->SendKeyData();
    if (c.json)
        PrintJson(c.out, KeyDataJson(d));
    else
        std::fprintf(c.out, "macros %zu, key table %s\n", mouse->ListUsedMacros().size(),
                     d.keyTable == kResultOk ? "sent" : "not sent");
    return ReportKeyData(c, d);
}

namespace {

// The device's profile documents named by its profile list (none without a list file).
std::vector<std::string> ListedProfiles(const MacroContext& c) {
    ProfileList list;
    list.SetDeviceKind(c.kind == "mouse" ? profile_list::kKindMouse : profile_list::kKindKeyboard);
    list.SetProfilePaths(c.folder, DefaultDataFolder() + (c.kind == "mouse" ? "mouse.Json" : "keyboard.Json"));
    if (access(list.ListFilePath().c_str(), F_OK) != 0) return {};
    list.LoadProfileList();
    std::vector<std::string> paths;
    for (int i = 0; i < list.ProfileCount(); ++i) paths.push_back(list.ProfilePath(i));
    return paths;
}

int ReportDelete(const MacroContext& c, const MacroDeleteOutcome& o, int index, const std::string& name,
                 const KeyDataResult* sent) {
    switch (o.result) {
        case MacroDeleteResult::kDeleted: break;
        case MacroDeleteResult::kCancelled:
            std::fprintf(c.err,
                         "r730ctl: %s: a key of the current profile uses macro %d '%s' "
                         "(message_text_2); nothing was deleted; with --yes the macro is deleted and "
                         "those keys get their default function\n",
                         c.Name().c_str(), index, name.c_str());
            return kMacroExitInUse;
        case MacroDeleteResult::kNoSuchMacro: return c.Refused("no such macro");
        case MacroDeleteResult::kProfileWriteFailed:
            return c.Refused("cannot write " + o.failedPath + "; nothing was deleted");
        case MacroDeleteResult::kLibraryWriteFailed:
            return c.Refused("cannot write " + o.failedPath + "; nothing was deleted");
    }
    if (c.json) {
        Json::Value v(Json::objectValue);
        v["deleted"] = index;
        v["name"] = name;
        v["profiles_changed"] = o.profilesChanged;
        v["current_changed"] = o.currentChanged;
        v["key_data"] = sent ? KeyDataJson(*sent) : Json::Value();
        PrintJson(c.out, v);
    } else {
        std::fprintf(c.out, "deleted %d\t%s\t%d other profile(s) changed, current profile %s\n", index, name.c_str(),
                     o.profilesChanged, o.currentChanged ? "changed" : "unchanged");
    }
    return sent ? ReportKeyData(c, *sent) : 0;
}

}  // namespace

int DeleteMacroCommand(const MacroContext& c) {
    if (c.words.size() != 2) return c.Usage("delete INDEX [--yes] [--json]");
    CMacroLibrary library(c.folder);
    LoadMacroLibrary(c, library);
    int index = 0;
    if (!ParseMacroIndex(c, library, c.words[1], index)) return kMacroExitUsage;
    const std::string name = library.Entries()[static_cast<size_t>(index)].name;
    const std::vector<std::string> listed = ListedProfiles(c);

    if (c.kind == "mouse") {
        DiscoverySession session;
        bool failed = false;
        if (CZentrelMouseDevice* mouse = ReadMouse(c, session, failed)) {
            KeyDataResult sent;
            const MacroDeleteOutcome o = mouse->DeleteMacro(index, listed, [&] { return c.yes; }, &sent);
            return ReportDelete(c, o, index, name, o.currentChanged ? &sent : nullptr);
        }
        if (failed) return kMacroExitRefused;
    }

    // No device: every profile file is fixed, and none is current, so the
    // question is put when any of them uses the macro.
    std::vector<std::string> paths = listed;
    if (c.kind == "mouse") {
        CZentrelMouseDevice offline;  // the profile file the mouse loads
        offline.SetFolderName("mouse");
        offline.SetProfilePaths();
        paths.push_back(offline.Profile().GetProfilePath());
    }
    for (const std::string& path : paths) {
        if (!c.yes && KeysUseMacro(ProfileKeyList(path), index)) {
            std::fprintf(c.err,
                         "r730ctl: %s: a key of the profile %s uses macro %d '%s' (message_text_2); "
                         "nothing was deleted; with --yes the macro is deleted and those keys get their "
                         "default function\n",
                         c.Name().c_str(), path.c_str(), index, name.c_str());
            return kMacroExitInUse;
        }
    }
    MacroDeleteRequest request;
    request.folder = c.folder;
    request.index = index;
    request.profilePaths = paths;
    const int code = ReportDelete(c, DeleteMacroWithKeyFixUp(request), index, name, nullptr);
    if (code == 0 && c.kind == "mouse")
        std::fprintf(c.err, "r730ctl: %s: no mouse found: only the files were changed, nothing was sent\n",
                     c.Name().c_str());
    return code;
}

