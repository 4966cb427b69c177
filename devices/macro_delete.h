// Deleting a macro from a device's library together with the keys that use it,
// in every profile of the device: a key whose current function is the deleted
// macro gets its default function back, a key of a later macro points one lower.
//
// Order: the question first (when a key of the current profile uses the macro,
// the caller is asked, "message_text_2"; declining changes nothing anywhere),
// then every other profile document, then the current key list, then the
// library. A step that fails puts back what the earlier steps changed, so the
// keys never point at the wrong macro.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "profiles/profile_records.h"

inline constexpr char kMessageMacroInUse[] = "message_text_2";

// The fix-up of one key list for the deleted macro `index`.
struct MacroKeyFixUp {
    bool changed = false;      // a key was reset or renumbered
    bool usedDeleted = false;  // a key used the deleted macro
};
MacroKeyFixUp FixUpKeysForDeletedMacro(std::vector<KeyEntry>& keys, int index);

// True when the current function of a key is macro `index`.
bool KeysUseMacro(std::span<const KeyEntry> keys, int index);
// The key list of the profile document at path (device object 0); empty when
// the file is missing or no profile.
std::vector<KeyEntry> ProfileKeyList(const std::string& path);

enum class MacroDeleteResult {
    kDeleted = 0,
    kCancelled,            // the question was declined: nothing changed
    kNoSuchMacro,          // nothing changed
    kProfileWriteFailed,   // a profile could not be saved: nothing deleted, the others put back
    kLibraryWriteFailed,   // "macro.config" could not be written: the profiles put back
};

struct MacroDeleteRequest {
    std::string folder;  // the device's data folder (its macro library)
    int index = -1;      // the macro's library index
    // The device's profile documents (from its profile list); the current
    // profile's own path and repeated paths are skipped.
    std::vector<std::string> profilePaths;
    std::string currentProfilePath;
    // The current key list (null: there is no current profile).
    const std::vector<KeyEntry>* currentKeys = nullptr;
    // Stores the fixed current key list (in the device and its profile file);
    // 0 when done. Called before the library changes, and with the old list
    // again when a later step fails.
    std::function<int(const std::vector<KeyEntry>&)> storeCurrent;
    // The question "message_text_2", put when a key of the current list uses
    // the macro; true: go on. Missing: go on.
    std::function<bool()> confirmInUse;
};

struct MacroDeleteOutcome {
    MacroDeleteResult result = MacroDeleteResult::kNoSuchMacro;
    bool asked = false;           // the question was put
    bool currentChanged = false;  // the current key list was changed and stored
    int profilesChanged = 0;      // other profile documents rewritten
    std::string failedPath;       // the file a write failed on
};

MacroDeleteOutcome DeleteMacroWithKeyFixUp(const MacroDeleteRequest& request);
