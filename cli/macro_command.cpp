#include "cli/macro_command.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include <json/json.h>

#include "cli/command_words.h"
#include "cli/macro_context.h"
#include "cli/macro_events.h"
#include "cli/result_text.h"
#include "devices/macro_block.h"
#include "profiles/data_folders.h"
#include "profiles/json_file_util.h"
#include "profiles/macro_library.h"

namespace {

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
    LoadMacroLibrary(c, library);
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
    LoadMacroLibrary(c, library);
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
    LoadMacroLibrary(c, library);
    int index = 0;
    if (!ParseMacroIndex(c, library, c.words[1], index)) return kMacroExitUsage;
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
    LoadMacroLibrary(c, library);
    int index = 0;
    if (!ParseMacroIndex(c, library, c.words[1], index)) return kMacroExitUsage;
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
    LoadMacroLibrary(c, library);
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
    LoadMacroLibrary(c, library);
    int index = 0;
    if (!ParseMacroIndex(c, library, c.words[1], index)) return kMacroExitUsage;
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
    LoadMacroLibrary(c, library);
    int index = 0;
    if (!ParseMacroIndex(c, library, c.words[1], index)) return kMacroExitUsage;
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
        return kMacroExitUsage;
    }
    if (c.yes && c.words[0] != "delete") {
        std::fprintf(err, "r730ctl: %s: --yes belongs to delete only\n", c.Name().c_str());
        return kMacroExitUsage;
    }
    int made = 0;
    c.folder = DeviceFolder(kind, &made);
    if (made != 0) {
        std::fprintf(err, "r730ctl: %s: cannot make the folder %s: %s\n", c.Name().c_str(), c.folder.c_str(),
                     std::strerror(made));
        return kMacroExitRefused;
    }
    const std::string& sub = c.words[0];
    if (sub == "list") return List(c);
    if (sub == "new") return New(c);
    if (sub == "rename") return Rename(c);
    if (sub == "delete") return DeleteMacroCommand(c);
    if (sub == "show") return Show(c);
    if (sub == "import") return Import(c);
    if (sub == "export") return Export(c);
    if (sub == "save") return Save(c);
    if (sub == "send") return SendMacrosCommand(c);
    std::fprintf(err, "r730ctl: %s macro: unknown subcommand '%s' (list, new, rename, delete, show, import, export, save%s)\n",
                 kind.c_str(), sub.c_str(), kind == "mouse" ? ", send" : "");
    return kMacroExitUsage;
}
