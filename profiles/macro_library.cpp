// The macro library: "macro.config" and the ".mac" files of one device.
#include "profiles/macro_library.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cwctype>
#include <thread>

#include "profiles/file_io.h"
#include "profiles/json_file_util.h"
#include "profiles/text_helpers.h"

CMacroLibrary::CMacroLibrary(std::string folder) : folder_(std::move(folder)) {
    if (!folder_.empty() && folder_.back() != '/')
        folder_ += '/';
}

std::string CMacroLibrary::IndexPath() const { return folder_ + kIndexFileName; }

std::string CMacroLibrary::MacroFilePath(int index) const {
    if (!ValidIndex(index))
        return {};
    const std::string& id = entries_[static_cast<size_t>(index)].guid;
    if (!IsPlainId(id))  // empty, or (after a failed repair) never a path
        return {};
    return folder_ + id + kMacroExtension;
}

bool CMacroLibrary::IsPlainId(std::string_view id) {
    if (!IsPlainFileName(id, kMaxIdBytes))
        return false;
    // Not valid UTF-8: the index writer would store another text, and the
    // entry would lose its file at the next write.
    const std::string text(id);
    return WideToUtf8(Utf8ToWide(text)) == text;
}

const std::vector<MacroEntry>& CMacroLibrary::Load() {
    entries_.clear();
    const Json::Value document = CJsonFileUtil::ReadJsonFile(IndexPath());
    if (!document.isObject())
        return entries_;
    const Json::Value& info = document["MacroInfo"];
    if (!info.isArray())
        return entries_;
    for (const Json::Value& item : info) {
        MacroEntry entry;
        if (item.isObject()) {
            if (item["MacroName"].isString())
                entry.name = item["MacroName"].asString();
            if (item["Guid"].isString())
                entry.guid = item["Guid"].asString();
        }
        entries_.push_back(std::move(entry));
    }
    // An id that is no plain file name could make a read, a save or a delete
    // reach outside the folder: such an entry gets a fresh id (its events are
    // lost, they were never reachable), and the mended index is written back.
    // An empty id stays empty: saving refuses it.
    repaired_ = 0;
    repairWriteFailed_ = false;
    for (MacroEntry& entry : entries_) {
        if (entry.guid.empty() || IsPlainId(entry.guid))
            continue;
        entry.guid.clear();  // FreshId must not see the old text as taken
        entry.guid = FreshId();
        ++repaired_;
    }
    if (repaired_ > 0)
        repairWriteFailed_ = !WriteIndex(entries_);
    return entries_;
}

bool CMacroLibrary::WriteIndex(const std::vector<MacroEntry>& entries) const {
    Json::Value document(Json::objectValue);
    Json::Value& info = document["MacroInfo"] = Json::Value(Json::arrayValue);
    for (const MacroEntry& entry : entries) {
        Json::Value item(Json::objectValue);
        item["MacroName"] = entry.name;
        item["Guid"] = entry.guid;
        info.append(item);
    }
    return CJsonFileUtil::WriteJsonFile(IndexPath(), document) == 0;
}

// The time stamp names files; two macros made within one millisecond would
// share a file, so wait for the next stamp while the id is taken.
std::string CMacroLibrary::FreshId() const {
    std::string id = CJsonFileUtil::MakeTimeStampName();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const bool taken =
            std::any_of(entries_.begin(), entries_.end(), [&](const MacroEntry& e) { return e.guid == id; }) ||
            access((folder_ + id + kMacroExtension).c_str(), F_OK) == 0;
        if (!taken)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        id = CJsonFileUtil::MakeTimeStampName();
    }
    return id;
}

bool CMacroLibrary::SameName(const std::string& a, const std::string& b) {
    const std::wstring wa = Utf8ToWide(a);
    const std::wstring wb = Utf8ToWide(b);
    return std::equal(wa.begin(), wa.end(), wb.begin(), wb.end(), [](wchar_t x, wchar_t y) {
        return std::towlower(static_cast<wint_t>(x)) == std::towlower(static_cast<wint_t>(y));
    });
}

namespace {

bool NameTaken(const std::string& name, const std::vector<MacroEntry>& entries) {
    return std::any_of(entries.begin(), entries.end(),
                       [&](const MacroEntry& e) { return CMacroLibrary::SameName(e.name, name); });
}

}  // namespace

std::string CMacroLibrary::DefaultName(const std::vector<MacroEntry>& entries) {
    for (size_t n = 1;; ++n) {
        std::string name = "macro_" + std::to_string(n);
        if (!NameTaken(name, entries))
            return name;
    }
}

std::string CMacroLibrary::ImportName(const std::string& title, const std::vector<MacroEntry>& entries) {
    std::string name = title;
    for (size_t suffix = 2; NameTaken(name, entries); ++suffix)
        name += "(" + std::to_string(suffix) + ")";
    return name;
}

std::string CMacroLibrary::NormaliseDelay(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n'))
        ++i;
    while (i < text.size() && text[i] == '0')
        ++i;
    std::string digits;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        digits += text[i++];
    return digits.empty() ? "0" : digits;
}

std::string CMacroLibrary::Create() {
    if (entries_.size() >= kMaxMacros)
        return {};
    std::vector<MacroEntry> next = entries_;
    next.push_back({DefaultName(entries_), FreshId()});
    if (!WriteIndex(next))
        return {};
    entries_ = std::move(next);
    return entries_.back().name;
}

MacroRenameResult CMacroLibrary::Rename(int index, const std::string& name) {
    if (!ValidIndex(index))
        return MacroRenameResult::kNoSelection;
    if (IsBlank(name))
        return MacroRenameResult::kBlank;
    if (NameTaken(name, entries_))
        return MacroRenameResult::kDuplicate;
    std::vector<MacroEntry> next = entries_;
    next[static_cast<size_t>(index)].name = name;
    if (!WriteIndex(next))
        return MacroRenameResult::kWriteFailed;
    entries_ = std::move(next);
    return MacroRenameResult::kRenamed;
}

bool CMacroLibrary::Delete(int index) {
    if (!ValidIndex(index))
        return false;
    const std::string file = MacroFilePath(index);
    const std::string id = entries_[static_cast<size_t>(index)].guid;
    std::vector<MacroEntry> next = entries_;
    next.erase(next.begin() + index);
    if (!WriteIndex(next))
        return false;
    entries_ = std::move(next);
    // A hand-copied entry may share the file: it stays while another entry names it.
    const bool shared =
        std::any_of(entries_.begin(), entries_.end(), [&](const MacroEntry& e) { return e.guid == id; });
    if (!file.empty() && !shared)
        unlink(file.c_str());  // a missing file is fine
    return true;
}

int CMacroLibrary::Save(int index, std::vector<MacroRow>& rows) {
    if (rows.size() > kMaxEditorEvents)
        return static_cast<int>(rows.size() - kMaxEditorEvents);
    if (MacroFilePath(index).empty())
        return -1;
    Json::Value events(Json::arrayValue);
    for (MacroRow& row : rows) {
        row.delay = NormaliseDelay(row.delay);
        if (row.event.empty())
            break;
        Json::Value event = CJsonFileUtil::ParseJson(row.event);
        if (!event.isObject())
            break;
        event["Delay"] = row.delay;
        events.append(event);
        row.event = CJsonFileUtil::StyledText(event);
    }
    const MacroEntry& entry = entries_[static_cast<size_t>(index)];
    Json::Value document(Json::objectValue);
    document["MacroName"] = entry.name;
    document["Guid"] = entry.guid;
    document["Events"] = events;
    document["Version"] = kMacroFileVersion;
    return CJsonFileUtil::WriteJsonFile(MacroFilePath(index), document) == 0 ? 0 : -1;
}

Json::Value CMacroLibrary::ReadEvents(int index) const {
    if (MacroFilePath(index).empty())
        return Json::Value(Json::arrayValue);
    const Json::Value document = CJsonFileUtil::ReadJsonFile(MacroFilePath(index));
    if (!document.isObject() || !document["Events"].isArray())
        return Json::Value(Json::arrayValue);
    return document["Events"];
}

MacroImportResult CMacroLibrary::Import(const std::string& path, int* newIndex) {
    if (path.empty())
        return MacroImportResult::kNoPath;
    if (entries_.size() >= kMaxMacros)
        return MacroImportResult::kLibraryFull;
    std::string bytes;
    if (ReadWholeFile(path, bytes) != 0)
        return MacroImportResult::kUnreadable;
    const MacroEntry entry{ImportName(WideToUtf8(CJsonFileUtil::GetFileTitle(path)), entries_), FreshId()};
    const std::string file = folder_ + entry.guid + kMacroExtension;
    if (WriteFileAtomically(file, bytes) != 0)
        return MacroImportResult::kWriteFailed;
    std::vector<MacroEntry> next = entries_;
    next.push_back(entry);
    if (!WriteIndex(next)) {
        unlink(file.c_str());
        return MacroImportResult::kWriteFailed;
    }
    entries_ = std::move(next);
    if (newIndex)
        *newIndex = static_cast<int>(entries_.size() - 1);
    return MacroImportResult::kImported;
}

bool CMacroLibrary::Export(int index, const std::string& path) const {
    if (MacroFilePath(index).empty() || path.empty())
        return false;
    std::string bytes;
    if (ReadWholeFile(MacroFilePath(index), bytes) != 0)
        return false;
    return WriteFileAtomically(path, bytes) == 0;
}

namespace {

bool IsEventType(const Json::Value& type) {
    if (!type.isInt())
        return false;
    const int t = type.asInt();
    return (t >= 1 && t <= 5) || t == 9 || t == 10;
}

// "Delay": decimal digits or an integer, 0–65535.
bool IsDelay(const Json::Value& delay) {
    if (delay.isString()) {
        const std::string text = delay.asString();
        if (text.empty() || text.size() > 10)
            return false;
        unsigned long value = 0;
        for (char c : text) {
            if (c < '0' || c > '9')
                return false;
            value = value * 10 + static_cast<unsigned long>(c - '0');
        }
        return value <= CMacroLibrary::kMaxDelay;
    }
    return delay.isInt() && delay.asInt() >= 0 && delay.asInt() <= static_cast<int>(CMacroLibrary::kMaxDelay);
}

}  // namespace

bool CMacroLibrary::CheckMacroDocument(const Json::Value& document, size_t maxEvents, std::string& reason) {
    if (!document.isObject()) {
        reason = document.isNull() ? "not a JSON document" : "not a JSON object";
        return false;
    }
    const Json::Value& events = document["Events"];
    if (!events.isArray()) {
        reason = "it has no \"Events\" array";
        return false;
    }
    if (events.size() > maxEvents) {
        reason = std::to_string(events.size()) + " events, more than " + std::to_string(maxEvents);
        return false;
    }
    for (Json::ArrayIndex i = 0; i < events.size(); ++i) {
        const Json::Value& e = events[i];
        const std::string where = "event " + std::to_string(i) + ": ";
        if (!e.isObject())
            reason = where + "not an object";
        else if (!e["Button"].isInt() || e["Button"].asInt() < 0 || e["Button"].asInt() > 255)
            reason = where + "\"Button\" must be an integer 0-255";
        else if (!e["Action"].isString() || (e["Action"].asString() != "down" && e["Action"].asString() != "up"))
            reason = where + "\"Action\" must be \"down\" or \"up\"";
        else if (!IsEventType(e["Type"]))
            reason = where + "\"Type\" must be 1-5, 9 or 10";
        else if (!IsDelay(e["Delay"]))
            reason = where + "\"Delay\" must be decimal digits or an integer, 0-65535";
        else
            continue;
        return false;
    }
    return true;
}
