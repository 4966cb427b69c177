#include "profiles/profile_list.h"

#include <unistd.h>

#include <cstdio>
#include <cwctype>
#include <set>

#include "profiles/file_io.h"
#include "profiles/json_file_util.h"
#include "profiles/text_helpers.h"

using namespace profile_list;

namespace {

constexpr size_t kMaxIdBytes = 200;  // leaves room for ".Json" and temp names

std::wstring Folded(const std::string& text) {
    std::wstring wide = Utf8ToWide(text);
    for (auto& c : wide)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return wide;
}

// A document that can take the two name keys: anything but an object reads as
// an empty document.
Json::Value ObjectDocument(Json::Value doc) {
    return doc.isObject() ? doc : Json::Value(Json::objectValue);
}

Json::Value ReadDocument(const std::string& path) {
    return ObjectDocument(CJsonFileUtil::ReadJsonFile(path));
}

Json::Value MakeEntry(const std::string& name, const std::string& id) {
    Json::Value entry(Json::objectValue);
    entry["profilename"] = name;
    entry["profileUUID"] = id;
    entry["profileislink"] = 0;
    entry["profilelinkmame"] = "";
    return entry;
}

// The object "Device"[0] of a document, or null when it has none.
const Json::Value* FirstDevice(const Json::Value& doc) {
    if (!doc.isObject() || !doc["Device"].isArray() || doc["Device"].empty() ||
        !doc["Device"][0].isObject())
        return nullptr;
    return &doc["Device"][0];
}

}  // namespace

namespace profile_list {

int NameLength(std::string_view name) {
    int length = 0;
    for (wchar_t c : Utf8ToWide(name))
        length += (c >= 0 && c < 0x80) ? 1 : 2;
    return length;
}

bool HasForbiddenCharacter(std::string_view name) {
    return name.find_first_of("<>:\" /\\|?#%&*=") != std::string_view::npos;
}

bool IsPlainProfileId(std::string_view id) { return IsPlainFileName(id, kMaxIdBytes); }

std::string MessageForAddResult(int result) {
    return result == kAddListFull ? kMessageListFull : "";
}

}  // namespace profile_list

void ProfileList::SetProfilePaths(const std::string& folder,
                                  const std::string& defaultDocumentPath) {
    folder_ = folder;
    if (folder_.empty() || folder_.back() != '/')
        folder_ += '/';
    defaultPath_ = defaultDocumentPath;
}

std::string ProfileList::ListFilePath() const { return folder_ + kListFileName; }

std::string ProfileList::DocumentPath(const std::string& id) const {
    return folder_ + id + kDocumentExtension;
}

void ProfileList::WriteFile(const std::string& path, const Json::Value& doc) {
    const int result = CJsonFileUtil::WriteJsonFile(path, doc);
    if (result != 0 && writeError_ == 0)
        writeError_ = result;
}

void ProfileList::WriteDocument(const std::string& path, Json::Value doc, const std::string& name,
                                const std::string& id) {
    doc = ObjectDocument(std::move(doc));
    doc["profilename"] = name;
    doc["profileUUID"] = id;
    WriteFile(path, doc);
}

std::string ProfileList::ProfileId(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= ids_.size())
        return "";
    return ids_[static_cast<size_t>(index)];
}

std::string ProfileList::ProfilePath(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= ids_.size())
        return "";
    return DocumentPath(ids_[static_cast<size_t>(index)]);
}

int ProfileList::CurrentIndex() const { return loaded_ ? current_ : -1; }

// A time-stamp identifier that no entry uses and no file in the folder bears
// (two profiles made in the same millisecond get "_1", "_2", … appended).
std::string ProfileList::FreshId() const {
    const std::string base = CJsonFileUtil::MakeTimeStampName();
    std::set<std::string> used(ids_.begin(), ids_.end());
    if (list_["profilelist"].isArray())
        for (const auto& entry : list_["profilelist"])
            if (entry.isObject() && entry["profileUUID"].isString())
                used.insert(entry["profileUUID"].asString());
    std::string id = base;
    for (int n = 1; used.count(id) || access(DocumentPath(id).c_str(), F_OK) == 0; ++n)
        id = base + "_" + std::to_string(n);
    return id;
}

// Where the document of an entry with an unusable identifier may be found
// without leaving the folder: its last path component, when that is plain and
// such a document exists. "" when there is none.
std::string ProfileList::RepairedDocumentSource(const std::string& badId) const {
    const size_t cut = badId.find_last_of("/\\");
    const std::string last = cut == std::string::npos ? badId : badId.substr(cut + 1);
    if (!IsPlainProfileId(last))
        return "";
    const std::string path = DocumentPath(last);
    return access(path.c_str(), F_OK) == 0 ? path : "";
}

// Reads the list file into list_, names_ and ids_. Entries that are not
// objects are dropped; an entry whose identifier is unusable or repeats an
// earlier one gets a fresh identifier and a document of its own (a copy of the
// one found safely, else the default document); a name that is not text is
// replaced. The file is rewritten when anything was repaired. False when the
// file holds no usable list.
bool ProfileList::Reload() {
    Json::Value root = CJsonFileUtil::ReadJsonFile(ListFilePath());
    names_.clear();
    ids_.clear();
    list_ = Json::Value();
    if (!root.isObject() || !root["profilelist"].isArray()) {
        current_ = -1;  // no entry to point at any more
        return false;
    }
    list_ = root;  // FreshId looks at every identifier in the file
    Json::Value entries(Json::arrayValue);
    bool repaired = false;
    for (const auto& raw : root["profilelist"]) {
        if (!raw.isObject()) {
            repaired = true;
            continue;
        }
        Json::Value entry = raw;
        if (!entry["profilename"].isString()) {
            std::string name = "Profile1";
            for (int n = 2; IsTaken(name, -1); ++n)
                name = "profile" + std::to_string(n);
            entry["profilename"] = name;
            repaired = true;
        }
        const std::string name = entry["profilename"].asString();
        const std::string id =
            entry["profileUUID"].isString() ? entry["profileUUID"].asString() : "";
        bool repeated = false;
        for (const auto& earlier : ids_)
            repeated = repeated || earlier == id;
        if (!IsPlainProfileId(id) || repeated) {
            const std::string source = repeated ? DocumentPath(id) : RepairedDocumentSource(id);
            const std::string fresh = FreshId();
            WriteDocument(DocumentPath(fresh),
                          CJsonFileUtil::ReadJsonFile(source.empty() ? defaultPath_ : source), name,
                          fresh);
            entry["profileUUID"] = fresh;
            ids_.push_back(fresh);
            repaired = true;
        } else {
            ids_.push_back(id);
        }
        names_.push_back(name);
        entries.append(entry);
    }
    if (entries.empty()) {
        names_.clear();
        ids_.clear();
        list_ = Json::Value();
        current_ = -1;
        return false;
    }
    root["profilelist"] = entries;
    list_ = root;
    if (repaired)
        WriteList();
    if (current_ >= static_cast<int>(names_.size()))
        current_ = static_cast<int>(names_.size()) - 1;
    return true;
}

bool ProfileList::WriteList() {
    const int before = writeError_;
    writeError_ = 0;
    WriteFile(ListFilePath(), list_);
    const bool written = writeError_ == 0;
    if (before != 0)
        writeError_ = before;
    return written;
}

bool ProfileList::IsTaken(const std::string& name, int skip) const {
    const std::wstring folded = Folded(name);
    for (size_t i = 0; i < names_.size(); ++i)
        if (static_cast<int>(i) != skip && Folded(names_[i]) == folded)
            return true;
    return false;
}

void ProfileList::LoadProfileList() {
    loaded_ = false;
    current_ = -1;
    if (!Reload()) {
        names_.clear();
        ids_.clear();
        list_ = Json::Value();
        const std::string id = FreshId();
        list_ = Json::Value(Json::objectValue);
        list_["profilelist"].append(MakeEntry("Profile1", id));
        list_["profileselect"] = 0;
        WriteList();
        WriteDocument(DocumentPath(id), CJsonFileUtil::ReadJsonFile(defaultPath_), "Profile1", id);
        names_ = {"Profile1"};
        ids_ = {id};
    }
    loaded_ = true;
    const Json::Value& select = list_["profileselect"];
    int index = 0;
    if (select.isIntegral() && select.isInt() && select.asInt() >= 0 &&
        select.asInt() < static_cast<int>(names_.size()))
        index = select.asInt();
    SelectProfile(index);
}

void ProfileList::SelectProfile(int index) {
    if (!loaded_ || index < 0 || static_cast<size_t>(index) >= names_.size())
        return;
    current_ = index;
    nameText_ = names_[static_cast<size_t>(index)];
    if (!Reload() || static_cast<size_t>(index) >= ids_.size())
        return;
    current_ = index;
    list_["profileselect"] = index;
    selectedId_ = ids_[static_cast<size_t>(index)];
    WriteList();
}

// Appends an entry to the list file; select also stores it as
// "profileselect". Returns its index.
int ProfileList::AppendEntry(const std::string& name, bool select, const std::string& id) {
    list_["profilelist"].append(MakeEntry(name, id));
    names_.push_back(name);
    ids_.push_back(id);
    const int index = static_cast<int>(names_.size()) - 1;
    if (select)
        list_["profileselect"] = index;
    WriteList();
    return index;
}

int ProfileList::NewProfile() {
    if (!loaded_ || !Reload())
        return kAddDone;
    if (names_.size() >= kMaxProfiles)
        return kAddListFull;
    std::string name = "Profile1";
    for (int n = 2; IsTaken(name, -1); ++n)
        name = "profile" + std::to_string(n);
    const std::string id = FreshId();
    AppendEntry(name, true, id);
    WriteDocument(DocumentPath(id), CJsonFileUtil::ReadJsonFile(defaultPath_), name, id);
    return kAddDone;
}

int ProfileList::CopyProfile() {
    if (!loaded_ || !Reload() || current_ < 0)
        return kAddDone;
    if (names_.size() >= kMaxProfiles)
        return kAddListFull;
    const size_t source = static_cast<size_t>(current_);
    std::string name = names_[source] + " copy";
    while (IsTaken(name, -1))
        name += " copy";
    const std::string sourcePath = DocumentPath(ids_[source]);
    const std::string id = FreshId();
    AppendEntry(name, false, id);
    WriteDocument(DocumentPath(id), CJsonFileUtil::ReadJsonFile(sourcePath), name, id);
    return kAddDone;
}

int ProfileList::ImportProfile(const std::string& sourcePath) {
    // Bounded read: a file over the data-file limit or that is no regular
    // file reads as null without being read whole.
    Json::Value doc = CJsonFileUtil::ReadJsonFile(sourcePath);
    if (!doc.isObject() || doc["profilename"].isNull() || doc["profileUUID"].isNull())
        return kImportNotAProfile;
    if (!loaded_ || !Reload())
        return kAddDone;
    if (names_.size() >= kMaxProfiles)
        return kAddListFull;
    std::string name = WideToUtf8(CJsonFileUtil::GetFileTitle(sourcePath));
    for (int n = 1; IsTaken(name, -1); ++n)
        name += "(" + std::to_string(n) + ")";
    const std::string id = FreshId();
    AppendEntry(name, false, id);
    WriteDocument(DocumentPath(id), doc, name, id);
    return kAddDone;
}

int ProfileList::ExportProfile(const std::string& destinationPath) {
    if (!loaded_ || !Reload() || current_ < 0)
        return 0;
    return CJsonFileUtil::WriteJsonFile(
        destinationPath,
        CJsonFileUtil::ReadJsonFile(DocumentPath(ids_[static_cast<size_t>(current_)])));
}

void ProfileList::ResetProfile() {
    if (!loaded_ || !Reload() || current_ < 0)
        return;
    const size_t index = static_cast<size_t>(current_);
    const std::string path = DocumentPath(ids_[index]);
    Json::Value doc = ReadDocument(defaultPath_);
    doc["profilename"] = names_[index];
    doc["profileUUID"] = ids_[index];
    if (kind_ == kKindHeadset) {
        const Json::Value old = CJsonFileUtil::ReadJsonFile(path);
        const Json::Value* from = FirstDevice(old);
        if (from) {
            Json::Value& devices = doc["Device"];
            if (!devices.isArray() || devices.empty() || !devices[0].isObject()) {
                devices = Json::Value(Json::arrayValue);
                devices.append(Json::Value(Json::objectValue));
            }
            for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"})
                if (from->isMember(key))
                    devices[0][key] = (*from)[key];
        }
    }
    WriteFile(path, doc);
}

void ProfileList::DeleteProfile() {
    if (!loaded_ || !Reload() || current_ < 0 || names_.size() < 2)
        return;
    const int s = current_;
    const int next = s == 0 ? 0 : s - 1;
    const std::string path = DocumentPath(ids_[static_cast<size_t>(s)]);
    Json::Value removed;
    list_["profilelist"].removeIndex(static_cast<Json::ArrayIndex>(s), &removed);
    std::remove(path.c_str());
    names_.erase(names_.begin() + s);
    ids_.erase(ids_.begin() + s);
    list_["profileselect"] = next;
    WriteList();
    current_ = next;
}

int ProfileList::RenameProfile(const std::string& name) {
    if (IsBlank(name))
        return kRenameBlank;
    if (!loaded_ || !Reload() || current_ < 0)
        return kRenameTaken;
    if (IsTaken(name, current_))
        return kRenameTaken;
    const auto index = static_cast<Json::ArrayIndex>(current_);
    names_[index] = name;
    nameText_ = name;
    list_["profilelist"][index]["profilename"] = name;
    WriteList();
    const std::string path = DocumentPath(ids_[index]);
    Json::Value doc = ReadDocument(path);
    doc["profilename"] = name;
    WriteFile(path, doc);
    return kRenameDone;
}

std::string ProfileList::SaveProfileName(const std::string& text) {
    if (text.empty())
        return "";
    if (NameLength(text) > kMaxNameLength)
        return kMessageNameTooLong;
    if (HasForbiddenCharacter(text))
        return kMessageNameForbidden;
    switch (RenameProfile(text)) {
        case kRenameTaken:
            return kMessageNameTaken;
        case kRenameBlank:
            return kMessageNameBlank;
        default:
            return "";
    }
}

int ProfileList::ProfileCount() {
    if (!loaded_ || !Reload())
        return 0;
    return static_cast<int>(names_.size());
}
