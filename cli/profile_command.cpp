#include "cli/profile_command.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include <json/json.h>

#include "cli/command_words.h"
#include "cli/device_kinds.h"
#include "cli/discovery_session.h"
#include "cli/profile_folder.h"
#include "cli/profile_messages.h"
#include "cli/result_text.h"
#include "devices/profile_apply.h"
#include "devices/zentrel_mouse_device.h"
#include "link/result_codes.h"
#include "profiles/profile_list.h"

namespace {

struct Request {
    std::string action;
    std::string argument;  // rename, export, import: the text; select: the index as typed
    int index = 0;         // select
    bool json = false;
};

bool TakesArgument(const std::string& action) {
    return action == "rename" || action == "select" || action == "export" || action == "import";
}

bool IsAction(const std::string& action) {
    return TakesArgument(action) || action == "list" || action == "new" || action == "copy" ||
           action == "delete" || action == "reset";
}

// A decimal index without sign or other characters; false otherwise.
bool ParseIndex(const std::string& text, int& index) {
    if (text.empty() || text.size() > 4)
        return false;
    index = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        index = index * 10 + (c - '0');
    }
    return true;
}

// 0, or 2 with a message in error.
int ParseRequest(const std::string& kind, int argc, char** argv, int first, Request& r,
                 std::string& error) {
    const std::vector<std::string> words = CommandWords(argc, argv, first, r.json);
    const std::string usage = kind +
                              " profile list|new|copy|rename NAME|delete|select INDEX|"
                              "export FILE|import FILE|reset";
    if (words.empty() || !IsAction(words[0])) {
        error = (words.empty() ? "missing subcommand" : "unknown subcommand '" + words[0] + "'") +
                "; usage: " + usage;
        return 2;
    }
    r.action = words[0];
    const size_t expected = TakesArgument(r.action) ? 2 : 1;
    if (words.size() != expected) {
        error = kind + " profile " + r.action + ": " +
                (expected == 2 ? "takes one argument" : "takes no argument") + "; usage: " + usage;
        return 2;
    }
    if (expected == 2)
        r.argument = words[1];
    if (r.json && r.action != "list") {
        error = kind + " profile " + r.action + ": --json goes with list only";
        return 2;
    }
    if (r.action == "select" && !ParseIndex(r.argument, r.index)) {
        error = kind + " profile select: INDEX must be a number 0-49, not '" + r.argument + "'";
        return 2;
    }
    if ((r.action == "export" || r.action == "import") && r.argument.empty()) {
        error = kind + " profile " + r.action + ": FILE must not be empty";
        return 2;
    }
    return 0;
}

std::string Entry(const ProfileList& list, int index) {
    return std::to_string(index) + ": " + list.Names()[static_cast<size_t>(index)];
}

int Refuse(std::FILE* err, const std::string& kind, const std::string& action,
           const std::string& messageId) {
    std::fprintf(err, "r730ctl: %s profile %s: %s\n", kind.c_str(), action.c_str(),
                 ProfileMessageText(messageId).c_str());
    return 1;
}

int List(const ProfileList& list, const Request& r, std::FILE* out) {
    const int selected = list.CurrentIndex();
    if (r.json) {
        Json::Value v(Json::arrayValue);
        for (int i = 0; i < static_cast<int>(list.Names().size()); ++i) {
            Json::Value e(Json::objectValue);
            e["name"] = list.Names()[static_cast<size_t>(i)];
            e["id"] = list.ProfileId(i);
            e["selected"] = i == selected;
            v.append(e);
        }
        PrintJson(out, v);
        return 0;
    }
    for (int i = 0; i < static_cast<int>(list.Names().size()); ++i)
        std::fprintf(out, "%c %2d  %s\n", i == selected ? '*' : ' ', i,
                     list.Names()[static_cast<size_t>(i)].c_str());
    return 0;
}

int Add(ProfileList& list, int result, const std::string& kind, const Request& r, std::FILE* out,
        std::FILE* err) {
    if (result != profile_list::kAddDone)
        return Refuse(err, kind, r.action, profile_list::MessageForAddResult(result));
    const int added = static_cast<int>(list.Names().size()) - 1;
    std::fprintf(out, "added %s\n", Entry(list, added).c_str());
    return 0;
}

CZentrelMouseDevice* FindMouse(const std::vector<SessionDevice>& devices) {
    for (const SessionDevice& d : devices)
        if (d.kind == "mouse")
            return dynamic_cast<CZentrelMouseDevice*>(d.device);
    return nullptr;
}

// select on the mouse: the mouse, when present, is read as the application
// reads it at start-up (with the profile selected so far), then the picked
// profile is applied to it.
int SelectOnMouse(ProfileList& list, int index, std::FILE* out, std::FILE* err) {
    DiscoverySession session;
    if (!session.ScanOrReport(err))
        return 1;
    CZentrelMouseDevice* mouse = FindMouse(session.Devices());
    if (!mouse) {
        list.SelectProfile(index);
        std::fprintf(out, "selected %s (no mouse found: the profile list only)\n",
                     Entry(list, index).c_str());
        return 0;
    }
    if (!mouse->CommandLink().Opened()) {
        std::fprintf(err, "r730ctl: cannot open the mouse (permission?)\n");
        return 1;
    }
    mouse->LoadLibraries();
    mouse->SetProfileFileName(list.SelectedProfileId());
    const int read = mouse->ReadMouse();
    mouse->StopLightingThread();
    if (read != kResultOk) {
        std::fprintf(err, "r730ctl: mouse profile select: cannot read the mouse: %s (result %d)\n",
                     ResultText(read, "mouse").c_str(), read);
        return 1;
    }
    const ProfileApplyResult applied = ApplyPickedProfile(list, index, *mouse);
    if (!applied.applied) {
        std::fprintf(err, "r730ctl: mouse profile select: the profile list changed meanwhile\n");
        return 1;
    }
    std::fprintf(out, "selected %s\n", Entry(list, index).c_str());
    int code = 0;
    if (applied.settings != kResultOk) {
        std::fprintf(err, "r730ctl: mouse profile select: settings not written: %s (result %d)\n",
                     ResultText(applied.settings, "mouse").c_str(), applied.settings);
        code = 1;
    }
    if (applied.keyData != 0 || applied.keys != kResultOk) {
        std::fprintf(err,
                     "r730ctl: mouse profile select: key assignments not written: %s (result %d)\n",
                     ResultText(applied.keys, "mouse").c_str(), applied.keys);
        code = 1;
    }
    if (code == 0)
        std::fprintf(out, "written to the mouse\n");
    return code;
}

int Select(ProfileList& list, const std::string& kind, const Request& r, std::FILE* out,
           std::FILE* err) {
    const int count = static_cast<int>(list.Names().size());
    if (r.index >= count) {
        std::fprintf(err, "r730ctl: %s profile select: no profile %d (0-%d)\n", kind.c_str(),
                     r.index, count - 1);
        return 2;
    }
    if (kind == "mouse")
        return SelectOnMouse(list, r.index, out, err);
    list.SelectProfile(r.index);
    std::fprintf(out, "selected %s\n", Entry(list, r.index).c_str());
    return 0;
}

int Run(ProfileList& list, const std::string& kind, const Request& r, std::FILE* out,
        std::FILE* err) {
    if (r.action == "list")
        return List(list, r, out);
    if (r.action == "new")
        return Add(list, list.NewProfile(), kind, r, out, err);
    if (r.action == "copy")
        return Add(list, list.CopyProfile(), kind, r, out, err);
    if (r.action == "import") {
        const int result = list.ImportProfile(r.argument);
        if (result == profile_list::kImportNotAProfile) {
            std::fprintf(err,
                         "r730ctl: %s profile import: %s is not a profile file (a JSON "
                         "document with \"profilename\" and \"profileUUID\")\n",
                         kind.c_str(), r.argument.c_str());
            return 1;
        }
        return Add(list, result, kind, r, out, err);
    }
    if (r.action == "rename") {
        // Empty text is refused as blank here: the name field would just keep it.
        const std::string message =
            r.argument.empty() ? profile_list::kMessageNameBlank : list.SaveProfileName(r.argument);
        if (!message.empty())
            return Refuse(err, kind, r.action, message);
        std::fprintf(out, "renamed %s\n", Entry(list, list.CurrentIndex()).c_str());
        return 0;
    }
    if (r.action == "delete") {
        if (list.ProfileCount() < 2) {
            std::fprintf(err, "r730ctl: %s profile delete: the only profile is kept\n",
                         kind.c_str());
            return 1;
        }
        const std::string gone = Entry(list, list.CurrentIndex());
        list.DeleteProfile();
        std::fprintf(out, "deleted %s; selected %s\n", gone.c_str(),
                     Entry(list, list.CurrentIndex()).c_str());
        return 0;
    }
    if (r.action == "select")
        return Select(list, kind, r, out, err);
    if (r.action == "export") {
        const int result = list.ExportProfile(r.argument);
        if (result != 0) {
            std::fprintf(err, "r730ctl: %s profile export: cannot write %s: %s\n", kind.c_str(),
                         r.argument.c_str(), std::strerror(result));
            return 1;
        }
        std::fprintf(out, "exported %s to %s\n", Entry(list, list.CurrentIndex()).c_str(),
                     r.argument.c_str());
        return 0;
    }
    // reset
    list.ResetProfile();
    std::fprintf(out, "reset %s to the default settings\n",
                 Entry(list, list.CurrentIndex()).c_str());
    return 0;
}

}  // namespace

int RunProfileCommand(const std::string& kind, int argc, char** argv, int first, std::FILE* out,
                      std::FILE* err) {
    if (!IsKindName(kind)) {
        std::fprintf(err, "r730ctl: unknown device kind '%s'\n", kind.c_str());
        return 2;
    }
    Request r;
    std::string error;
    if (const int code = ParseRequest(kind, argc, argv, first, r, error); code != 0) {
        std::fprintf(err, "r730ctl: %s\n", error.c_str());
        return code;
    }
    ProfileList list;
    if (!OpenProfileList(kind, list, error)) {
        std::fprintf(err, "r730ctl: %s\n", error.c_str());
        return 1;
    }
    int code = Run(list, kind, r, out, err);
    if (list.WriteError() != 0) {
        std::fprintf(err, "r730ctl: %s profile %s: cannot write the profile files beside %s: %s\n",
                     kind.c_str(), r.action.c_str(), list.ListFilePath().c_str(),
                     std::strerror(list.WriteError()));
        code = 1;
    }
    return code;
}
