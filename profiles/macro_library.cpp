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
    return folder_ + entries_[static_cast<size_t>(index)].guid + kMacroExtension;
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
    std::vector<MacroEntry> next = entries_;
    next.erase(next.begin() + index);
    if (!WriteIndex(next))
        return false;
    entries_ = std::move(next);
    unlink(file.c_str());  // a missing file is fine
    return true;
}

int CMacroLibrary::Save(int index, std::vector<MacroRow>& rows) {
    if (rows.size() > kMaxEditorEvents)
        return static_cast<int>(rows.size() - kMaxEditorEvents);
    if (!ValidIndex(index) || entries_[static_cast<size_t>(index)].guid.empty())
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
    if (!ValidIndex(index))
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
    if (!ValidIndex(index) || path.empty())
        return false;
    std::string bytes;
    if (ReadWholeFile(MacroFilePath(index), bytes) != 0)
        return false;
    return WriteFileAtomically(path, bytes) == 0;
}
