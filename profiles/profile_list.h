// The profile list of one device folder and every operation of the profile
// bar on it, without any toolkit: the page shows Names(), CurrentIndex() and
// ProfileNameText(), and turns the results below into its messages.
//
// Files of a device folder: "ProfileList.ini" (a JSON document: "profilelist"
// with one {"profilename", "profileUUID", "profileislink", "profilelinkmame"}
// object per profile, and "profileselect") and one profile document per
// profile, named after its identifier plus ".Json".
//
// The list file on disk is the truth: every operation reloads it before it
// changes anything and writes it back at once. Identifiers that are not a plain
// file name (empty, ".", "..", a path separator, a NUL or control character)
// or that repeat an earlier entry's are never used as a path: on reload such an
// entry gets a fresh identifier and the list file is rewritten.
#pragma once

#include <json/json.h>

#include <string>
#include <string_view>
#include <vector>

namespace profile_list {

inline constexpr int kMaxProfiles = 50;
inline constexpr int kMaxNameLength = 16;  // in NameLength units

inline constexpr char kListFileName[] = "ProfileList.ini";
inline constexpr char kDocumentExtension[] = ".Json";

// Device kind codes.
inline constexpr int kKindKeyboard = 1;
inline constexpr int kKindMouse = 2;
inline constexpr int kKindMousePad = 3;
inline constexpr int kKindHeadset = 7;

// Results of NewProfile, CopyProfile and ImportProfile.
inline constexpr int kAddDone = 0;
inline constexpr int kAddListFull = 1;
inline constexpr int kImportNotAProfile = 2;  // ImportProfile only; nothing done

// Results of RenameProfile.
inline constexpr int kRenameTaken = 0;
inline constexpr int kRenameDone = 1;
inline constexpr int kRenameBlank = 2;

// Message ids of the language resources for the page to show.
inline constexpr char kMessageNameTooLong[] = "message_text_34";
inline constexpr char kMessageNameForbidden[] = "message_text_35";
inline constexpr char kMessageNameTaken[] = "message_text_5";
inline constexpr char kMessageNameBlank[] = "message_text_25";
inline constexpr char kMessageListFull[] = "message_text_32";

// Length of a UTF-8 name: ASCII characters count 1, every other character
// (and every invalid byte sequence) 2.
int NameLength(std::string_view name);

// True when name holds one of < > : " space / \ | ? # % & * =.
bool HasForbiddenCharacter(std::string_view name);

// True when id can name a file directly inside the device folder.
bool IsPlainProfileId(std::string_view id);

// The message an add result leads to ("" for none).
std::string MessageForAddResult(int result);

}  // namespace profile_list

class ProfileList {
  public:
    void SetDeviceKind(int kind) { kind_ = kind; }
    // folder: the device data folder ("/" is appended when missing);
    // defaultDocumentPath: the read-only template of a new profile document.
    void SetProfilePaths(const std::string& folder, const std::string& defaultDocumentPath);

    // Reads the list file, writing a fresh one with "Profile1" (and its
    // document from the default document) when it is missing, unreadable or
    // empty, and selects the stored entry (entry 0 when "profileselect" is
    // not an index of the list).
    void LoadProfileList();

    // The profile names, in list order (the drop-down list).
    const std::vector<std::string>& Names() const { return names_; }
    // Current entry, or -1 before a successful load.
    int CurrentIndex() const;
    // Identifier of the entry last selected with SelectProfile.
    const std::string& SelectedProfileId() const { return selectedId_; }

    // Makes index current, puts its name into the name field and stores it as
    // "profileselect". An index outside the list does nothing.
    void SelectProfile(int index);

    // Adds "Profile1", or "profile2", "profile3", … when taken; stores the new
    // entry as "profileselect" without making it current.
    int NewProfile();
    // Adds a copy of the current profile named "<name> copy" (" copy" repeated
    // while taken).
    int CopyProfile();
    // Adds the document at sourcePath under its file title ("(1)", "(2)", …
    // appended while taken). A file that is not a JSON object with non-null
    // "profilename" and "profileUUID", or is too large, gives
    // kImportNotAProfile and changes nothing. The source is not changed.
    int ImportProfile(const std::string& sourcePath);
    // Writes the current profile document to destinationPath. Returns 0 or
    // the errno value of the write.
    int ExportProfile(const std::string& destinationPath);
    // Replaces the current profile document with the default document; a
    // headset keeps its custom equaliser names and curves.
    void ResetProfile();
    // Removes the current entry and its document unless it is the only one;
    // the entry before it (or entry 0) becomes current and is stored as
    // "profileselect". The caller selects and loads it as after a pick.
    void DeleteProfile();
    // kRenameDone, kRenameTaken (another entry has the name, in any letter
    // case) or kRenameBlank. The identifier is not changed.
    int RenameProfile(const std::string& name);
    // The name field's save action: checks the text as the page does before
    // renaming and returns the message to show ("" for none). Empty text does
    // nothing.
    std::string SaveProfileName(const std::string& text);

    const std::string& ProfileNameText() const { return nameText_; }
    void SetProfileNameText(const std::string& text) { nameText_ = text; }

    // Number of entries in the list file (reloaded).
    int ProfileCount();
    // Path of entry index's profile document; "" for an index outside the list.
    std::string ProfilePath(int index) const;
    // Identifier of entry index; "" for an index outside the list.
    std::string ProfileId(int index) const;

    // The errno value of the first list or document write that failed since
    // the last ClearWriteError (0: none). The operations themselves go on as
    // the page expects; a caller that must report failures asks here.
    int WriteError() const { return writeError_; }
    void ClearWriteError() { writeError_ = 0; }

    std::string ListFilePath() const;

  private:
    bool Reload();
    bool WriteList();
    void WriteDocument(const std::string& path, Json::Value doc, const std::string& name,
                       const std::string& id);
    void WriteFile(const std::string& path, const Json::Value& doc);
    std::string DocumentPath(const std::string& id) const;
    std::string FreshId() const;
    bool IsTaken(const std::string& name, int skip) const;
    int AppendEntry(const std::string& name, bool select, const std::string& id);
    std::string RepairedDocumentSource(const std::string& badId) const;

    int kind_ = profile_list::kKindMouse;
    std::string folder_;
    std::string defaultPath_;
    Json::Value list_;
    std::vector<std::string> names_;
    std::vector<std::string> ids_;
    int current_ = -1;
    bool loaded_ = false;
    std::string selectedId_;
    std::string nameText_;
    int writeError_ = 0;
};
