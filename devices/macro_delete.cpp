#include "devices/macro_delete.h"

#include <algorithm>

#include "devices/key_codes.h"
#include "profiles/basic_profile_data.h"
#include "profiles/file_io.h"
#include "profiles/json_file_util.h"
#include "profiles/macro_library.h"

MacroKeyFixUp FixUpKeysForDeletedMacro(std::vector<KeyEntry>& keys, int index) {
    MacroKeyFixUp fix;
    if (index < 0)
        return fix;
    for (KeyEntry& key : keys) {
        if (!IsMacroAssignment(key.current))
            continue;
        if (key.current.param1 == index) {
            const uint16_t keyIndex = key.current.keyIndex;
            key.current = key.defaultAssignment;
            key.current.keyIndex = keyIndex;
            fix.changed = fix.usedDeleted = true;
        } else if (key.current.param1 > index) {
            --key.current.param1;
            fix.changed = true;
        }
    }
    return fix;
}

bool KeysUseMacro(std::span<const KeyEntry> keys, int index) {
    return std::any_of(keys.begin(), keys.end(), [&](const KeyEntry& k) {
        return IsMacroAssignment(k.current) && k.current.param1 == index;
    });
}

namespace {

// One other profile document: its bytes as they were, and the fixed document.
struct ProfileFile {
    std::string path;
    std::string original;
    CBasicProfiledata profile;
};

// Loads the profile at path; false when it is missing or holds no device object.
bool LoadProfileFile(const std::string& path, ProfileFile& file) {
    file.path = path;
    if (ReadWholeFile(path, file.original) != 0)
        return false;
    return file.profile.LoadProfileFromText(file.original).isObject();
}

void PutBack(const std::vector<ProfileFile>& written) {
    for (const ProfileFile& f : written)
        WriteFileAtomically(f.path, f.original);  // best effort: the failure is already reported
}

}  // namespace

std::vector<KeyEntry> ProfileKeyList(const std::string& path) {
    ProfileFile file;
    if (!LoadProfileFile(path, file))
        return {};
    return file.profile.GetKeyList();
}

MacroDeleteOutcome DeleteMacroWithKeyFixUp(const MacroDeleteRequest& request) {
    MacroDeleteOutcome out;
    CMacroLibrary library(request.folder);
    library.Load();
    if (request.index < 0 || static_cast<size_t>(request.index) >= library.Count())
        return out;

    // The question comes before anything is changed: declining must leave
    // every profile as it was, or their keys would point at the wrong macros.
    if (request.currentKeys && KeysUseMacro(*request.currentKeys, request.index)) {
        out.asked = true;
        if (request.confirmInUse && !request.confirmInUse()) {
            out.result = MacroDeleteResult::kCancelled;
            return out;
        }
    }

    std::vector<std::string> seen{request.currentProfilePath};
    std::vector<ProfileFile> written;
    for (const std::string& path : request.profilePaths) {
        if (path.empty() || std::find(seen.begin(), seen.end(), path) != seen.end())
            continue;
        seen.push_back(path);
        ProfileFile file;
        if (!LoadProfileFile(path, file))
            continue;  // nothing to fix in a missing or broken document
        std::vector<KeyEntry> keys = file.profile.GetKeyList();
        if (!FixUpKeysForDeletedMacro(keys, request.index).changed)
            continue;
        file.profile.SetKeyList(keys);
        if (file.profile.WriteDevice(file.profile.GetDocument(), path) != 0) {
            PutBack(written);
            out.result = MacroDeleteResult::kProfileWriteFailed;
            out.failedPath = path;
            return out;
        }
        written.push_back(std::move(file));
    }

    std::vector<KeyEntry> before;
    if (request.currentKeys) {
        before = *request.currentKeys;
        std::vector<KeyEntry> keys = before;
        if (FixUpKeysForDeletedMacro(keys, request.index).changed) {
            if (request.storeCurrent && request.storeCurrent(keys) != 0) {
                request.storeCurrent(before);
                PutBack(written);
                out.result = MacroDeleteResult::kProfileWriteFailed;
                out.failedPath = request.currentProfilePath;
                return out;
            }
            out.currentChanged = true;
        }
    }

    if (!library.Delete(request.index)) {
        if (out.currentChanged && request.storeCurrent)
            request.storeCurrent(before);
        PutBack(written);
        out.currentChanged = false;
        out.result = MacroDeleteResult::kLibraryWriteFailed;
        out.failedPath = library.IndexPath();
        return out;
    }
    out.profilesChanged = static_cast<int>(written.size());
    out.result = MacroDeleteResult::kDeleted;
    return out;
}
