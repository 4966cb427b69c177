#include "cli/macro_command.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include <json/json.h>

#include "cli/command_words.h"
#include "cli/discovery_session.h"
#include "cli/macro_events.h"
#include "cli/result_text.h"
#include "devices/macro_block.h"
#include "devices/macro_delete.h"
#include "devices/zentrel_mouse_device.h"
#include "link/result_codes.h"
#include "profiles/data_folders.h"
#include "profiles/json_file_util.h"
#include "profiles/macro_library.h"
#include "profiles/profile_list.h"

namespace {

constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInUse = 3;

struct MacroContext {
    std::string kind;    // "mouse", "keyboard"
    std::string folder;  // the device's data folder
    std::vector<std::string> words;
    bool json = false;
    bool yes = false;
    std::FILE* out;
    std::FILE* err;

    std::string Name() const { return kind + " macro " + (words.empty() ? "" : words[0]); }
    int Usage(const char* usage) const {
        std::fprintf(err, "r730ctl: usage: %s macro %s\n", kind.c_str(), usage);
        return kExitUsage;
    }
    int Refused(const std::string& why) const {
        std::fprintf(err, "r730ctl: %s: %s\n", Name().c_str(), why.c_str());
        return kExitRefused;
    }
};

// Loads the library, saying when ids of a hand-edited index had to be replaced.
void LoadLibrary(const MacroContext& c, CMacroLibrary& library) {
    library.Load();
    if (library.RepairedIds() > 0)
        std::fprintf(c.err,
                     "r730ctl: %s: %zu macro id(s) in %s were no plain file name and were "
                     "replaced%s\n",
                     c.Name().c_str(), library.RepairedIds(), library.IndexPath().c_str(),
                     library.RepairWriteFailed() ? " (in memory only: the file could not be written)" : "");
}

// The INDEX word: a macro of the library. False after a message.
bool ParseIndex(const MacroContext& c, const CMacroLibrary& library, const std::string& word, int& index) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(word.c_str(), &end, 10);
    const bool number = !word.empty() && *end == '\0' && errno == 0 && word[0] != '-' && word[0] != '+';
    if (number && static_cast<size_t>(value) < library.Count()) {
        index = static_cast<int>(value);
        return true;
    }
    if (library.Count() == 0)
        std::fprintf(c.err, "r730ctl: %s: the macro library is empty\n", c.Name().c_str());
    else
        std::fprintf(c.err, "r730ctl: %s: INDEX must be a macro of the library, 0 to %zu, not '%s'\n",
                     c.Name().c_str(), library.Count() - 1, word.c_str());
    return false;
}

Json::Value EntryJson(const CMacroLibrary& library, int index) {
    const MacroEntry& e = library.Entries()[static_cast<size_t>(index)];
    Json::Value v(Json::objectValue);
    v["index"] = index;
    v["name"] = e.name;
    v["id"] = e.guid;
    return v;
}

int List(const MacroContext& c) {
    if (c.words.size() != 1) return c.Usage("list [--json]");
    CMacroLibrary library(c.folder);
    LoadLibrary(c, library);
    Json::Value list(Json::arrayValue);
    for (size_t i = 0; i < library.Count(); ++i) {
        const int index = static_cast<int>(i);
        const Json::Value::ArrayIndex events = library.ReadEvents(index).size();
        if (c.json) {
            Json::Value v = EntryJson(library, index);
            v["events"] = events;
            list.append(v);
        } else {
            std::fprintf(c.out, "%zu\t%s\t%u events\n", i, library.Entries()[i].name.c_str(), events);
        }
    }
    if (c.json) {
        Json::Value v(Json::objectValue);
        v["macros"] = list;
        PrintJson(c.out, v);
    }
    return 0;
}

int New(const MacroContext& c) {
    if (c.words.size() != 1) return c.Usage("new [--json]");
    CMacroLibrary library(c.folder);
    LoadLibrary(c, library);
    if (library.Count() >= CMacroLibrary::kMaxMacros)
        return c.Refused("the library holds 50 macros already (message_text_33)");
    const std::string name = library.Create();
    if (name.empty()) return c.Refused("cannot write " + library.IndexPath());
    const int index = static_cast<int>(library.Count() - 1);
    if (c.json)
        PrintJson(c.out, EntryJson(library, index));
    else
        std::fprintf(c.out, "%d\t%s\n", index, name.c_str());
    return 0;
}

int Rename(const MacroContext& c) {
    if (c.words.size() != 3) return c.Usage("rename INDEX NAME");
    CMacroLibrary library(c.folder);
    LoadLibrary(c, library);
    int index = 0;
    if (!ParseIndex(c, library, c.words[1], index)) return kExitUsage;
    const std::string old = library.Entries()[static_cast<size_t>(index)].name;
    switch (library.Rename(index, c.words[2])) {
        case MacroRenameResult::kRenamed: break;
        case MacroRenameResult::kBlank: return c.Refused("the name is blank");
        case MacroRenameResult::kDuplicate:
            return c.Refused("a macro named '" + c.words[2] + "' is in the library already (message_text_5)");
        case MacroRenameResult::kNoSelection: return c.Refused("no such macro");
        case MacroRenameResult::kWriteFailed: return c.Refused("cannot write " + library.IndexPath());
    }
    if (c.json)
        PrintJson(c.out, EntryJson(library, index));
    else
        std::fprintf(c.out, "%d\t%s -> %s\n", index, old.c_str(), c.words[2].c_str());
    return 0;
}

int Show(const MacroContext& c) {
    if (c.words.size() != 2) return c.Usage("show INDEX [--json]");
    CMacroLibrary library(c.folder);
    LoadLibrary(c, library);
    int index = 0;
    if (!ParseIndex(c, library, c.words[1], index)) return kExitUsage;
    const std::string path = library.MacroFilePath(index);
    const Json::Value events = library.ReadEvents(index);
    std::string reason;
    if (path.empty() || access(path.c_str(), F_OK) != 0)
        std::fprintf(c.err, "r730ctl: %s: the macro has no file yet (never saved): no events\n", c.Name().c_str());
    else if (!CMacroLibrary::CheckMacroDocument(CJsonFileUtil::ReadJsonFile(path), kMaxDeviceMacroEvents, reason))
        std::fprintf(c.err, "r730ctl: %s: %s: %s; shown as the device would get it\n", c.Name().c_str(),
                     path.c_str(), reason.c_str());
    if (c.json) {
        Json::Value v = EntryJson(library, index);
        v["events"] = MacroEventsJson(events);
        PrintJson(c.out, v);
    } else {
        std::fprintf(c.out, "%d\t%s\t%u events\n%s", index, library.Entries()[static_cast<size_t>(index)].name.c_str(),
                     events.size(), MacroEventsText(events).c_str());
    }
    return 0;
}

int Import(const MacroContext& c) {
    if (c.words.size() != 2) return c.Usage("import FILE [--json]");
    CMacroLibrary library(c.folder);
    LoadLibrary(c, library);
    Json::Value document;
    std::string reason;
    // The device takes at most 64 events per macro: a longer file could never be sent.
    if (!ReadMacroFile(c.words[1], kMaxDeviceMacroEvents, document, reason))
        return c.Refused(c.words[1] + ": " + reason + "; nothing imported");
    int index = -1;
    switch (library.Import(c.words[1], &index)) {
        case MacroImportResult::kImported: break;
        case MacroImportResult::kLibraryFull:
            return c.Refused("the library holds 50 macros already (message_text_33)");
        case MacroImportResult::kNoPath: return c.Usage("import FILE [--json]");
        case MacroImportResult::kUnreadable: return c.Refused("cannot read " + c.words[1]);
        case MacroImportResult::kWriteFailed: return c.Refused("cannot write the library in " + c.folder);
    }
    if (c.json)
        PrintJson(c.out, EntryJson(library, index));
    else
        std::fprintf(c.out, "%d\t%s\n", index, library.Entries()[static_cast<size_t>(index)].name.c_str());
    return 0;
}

int Export(const MacroContext& c) {
    if (c.words.size() != 3) return c.Usage("export INDEX FILE");
    CMacroLibrary library(c.folder);
    LoadLibrary(c, library);
    int index = 0;
    if (!ParseIndex(c, library, c.words[1], index)) return kExitUsage;
    const std::string path = library.MacroFilePath(index);
    if (path.empty() || access(path.c_str(), F_OK) != 0)
        return c.Refused("the macro has no file yet (never saved)");
    if (!library.Export(index, c.words[2])) return c.Refused("cannot copy " + path + " to " + c.words[2]);
    std::fprintf(c.out, "%d\t%s -> %s\n", index, library.Entries()[static_cast<size_t>(index)].name.c_str(),
                 c.words[2].c_str());
    return 0;
}

int Save(const MacroContext& c) {
    if (c.words.size() != 3) return c.Usage("save INDEX FILE");
    CMacroLibrary library(c.folder);
    LoadLibrary(c, library);
    int index = 0;
    if (!ParseIndex(c, library, c.words[1], index)) return kExitUsage;
    Json::Value document;
    std::string reason;
    if (!ReadMacroFile(c.words[2], SIZE_MAX, document, reason))
        return c.Refused(c.words[2] + ": " + reason + "; nothing saved");
    std::vector<MacroRow> rows = MacroRowsOf(document);
    const int saved = library.Save(index, rows);
    if (saved > 0)
        return c.Refused(std::to_string(rows.size()) + " events, " + std::to_string(saved) +
                         " more than the 58 a macro holds (message_text_26); nothing saved");
    if (saved < 0) return c.Refused("cannot write " + library.MacroFilePath(index));
    std::fprintf(c.out, "%d\t%s\t%zu events\n", index, library.Entries()[static_cast<size_t>(index)].name.c_str(),
                 rows.size());
    return 0;
}

// ---- the mouse's key data ----

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
        return kExitRefused;
    }
    if (d.r < 0) {
        std::fprintf(c.err, "r730ctl: %s: writing the key data to the mouse failed (message_text_7)\n",
                     c.Name().c_str());
        return kExitRefused;
    }
    if (d.keyTable != kResultOk) {
        std::fprintf(c.err, "r730ctl: %s: key table: %s (result %d)\n", c.Name().c_str(),
                     ResultText(d.keyTable, "mouse").c_str(), d.keyTable);
        return kExitRefused;
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
    mouse->LoadLibraries();
    const int read = mouse->ReadMouse();
    mouse->StopLightingThread();
    if (read != kResultOk) {
        std::fprintf(c.err, "r730ctl: %s: cannot read the mouse: %s (result %d)\n", c.Name().c_str(),
                     ResultText(read, "mouse").c_str(), read);
        return nullptr;
    }
    failed = false;
    return mouse;
}

int Send(const MacroContext& c) {
    if (c.kind != "mouse") {
        std::fprintf(c.err, "r730ctl: %s: there is no keyboard device yet: its macros are files only\n",
                     c.Name().c_str());
        return kExitUsage;
    }
    if (c.words.size() != 1) return c.Usage("send [--json]");
    DiscoverySession session;
    bool failed = false;
    CZentrelMouseDevice* mouse = ReadMouse(c, session, failed);
    if (!mouse) return failed ? kExitRefused : c.Refused("no mouse found");
    const KeyDataResult d = mouse->SendKeyData();
    if (c.json)
        PrintJson(c.out, KeyDataJson(d));
    else
        std::fprintf(c.out, "macros %zu, key table %s\n", mouse->ListUsedMacros().size(),
                     d.keyTable == kResultOk ? "sent" : "not sent");
    return ReportKeyData(c, d);
}

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
            return kExitInUse;
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

int Delete(const MacroContext& c) {
    if (c.words.size() != 2) return c.Usage("delete INDEX [--yes] [--json]");
    CMacroLibrary library(c.folder);
    LoadLibrary(c, library);
    int index = 0;
    if (!ParseIndex(c, library, c.words[1], index)) return kExitUsage;
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
        if (failed) return kExitRefused;
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
            return kExitInUse;
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

}  // namespace

int RunMacroCommand(const std::string& kind, int argc, char** argv, int first, std::FILE* out, std::FILE* err) {
    MacroContext c{kind, {}, {}, false, false, out, err};
    for (const std::string& word : CommandWords(argc, argv, first, c.json)) {
        if (word == "--yes")
            c.yes = true;
        else
            c.words.push_back(word);
    }
    if (c.words.empty()) {
        std::fprintf(err, "r730ctl: usage: %s macro list|new|rename|delete|show|import|export|save%s\n", kind.c_str(),
                     kind == "mouse" ? "|send" : "");
        return kExitUsage;
    }
    if (c.yes && c.words[0] != "delete") {
        std::fprintf(err, "r730ctl: %s: --yes belongs to delete only\n", c.Name().c_str());
        return kExitUsage;
    }
    int made = 0;
    c.folder = DeviceFolder(kind, &made);
    if (made != 0) {
        std::fprintf(err, "r730ctl: %s: cannot make the folder %s: %s\n", c.Name().c_str(), c.folder.c_str(),
                     std::strerror(made));
        return kExitRefused;
    }
    const std::string& sub = c.words[0];
    if (sub == "list") return List(c);
    if (sub == "new") return New(c);
    if (sub == "rename") return Rename(c);
    if (sub == "delete") return Delete(c);
    if (sub == "show") return Show(c);
    if (sub == "import") return Import(c);
    if (sub == "export") return Export(c);
    if (sub == "save") return Save(c);
    if (sub == "send") return Send(c);
    std::fprintf(err, "r730ctl: %s macro: unknown subcommand '%s' (list, new, rename, delete, show, import, export, save%s)\n",
                 kind.c_str(), sub.c_str(), kind == "mouse" ? ", send" : "");
    return kExitUsage;
}
