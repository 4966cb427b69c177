#include "devices/profile_apply.h"

#include "devices/zentrel_mouse_device.h"
#include "devices/zentrel_usb_device.h"
#include "link/result_codes.h"
#include "profiles/profile_list.h"

namespace {

// The key data step of the profile paths: the macros the key table uses and
// the key table go to the device. Its result: 0 sent, -1 the write failed,
// else the count that tells which macros did not fit.
int SendKeyDataStep(CZentrelUSBDevice& device) { return device.SendKeyData().r; }

}  // namespace

int ProfileListKindOfRow(int row) {
    switch (row) {
        case 1: return profile_list::kKindKeyboard;
        case 2: return profile_list::kKindMousePad;
        case 3: return profile_list::kKindHeadset;
        default: return profile_list::kKindMouse;
    }
}

void OpenDeviceProfileList(CZentrelUSBDevice& device, ProfileList& list) {
    list.SetDeviceKind(ProfileListKindOfRow(device.Row()));
    list.SetProfilePaths(device.ProfileFolder(), device.DefaultDataFolder() + device.FolderName() + ".Json");
    list.LoadProfileList();
}

void TakeSelectedProfile(CZentrelMouseDevice& mouse) {
    ProfileList list;
    OpenDeviceProfileList(mouse, list);
    const std::string id = list.ProfileId(list.CurrentIndex());
    if (!id.empty()) mouse.SetProfileFileName(id);
}

ProfileApplyResult ApplyPickedProfile(
    ProfileList& list, int index, CZentrelUSBDevice& device,
    const std::function<void(const std::string&)>& handProfileId) {
    ProfileApplyResult result;
    if (index < 0 || index >= static_cast<int>(list.Names().size()))
        return result;
    list.SelectProfile(index);
    if (list.CurrentIndex() != index)
        return result;
    result.applied = true;
    result.profileId = list.SelectedProfileId();
    if (handProfileId)
        handProfileId(result.profileId);
    device.LoadSelectedProfile();
    device.OnMacrosChanged();
    device.ApplyToPage();
    result.settings = device.SendSettings(0, 0);
    result.keyData = SendKeyDataStep(device);
    result.keys = device.SendKeyAssignments();
    return result;
}

ProfileApplyResult ApplyPickedProfile(ProfileList& list, int index, CZentrelMouseDevice& mouse) {
    return ApplyPickedProfile(list, index, mouse,
                              [&mouse](const std::string& id) { mouse.SetProfileFileName(id); });
}

void ProfilePickDebounce::Pick(int index, uint64_t nowMs) {
    pending_ = index;
    pickedAtMs_ = nowMs;
}

std::optional<int> ProfilePickDebounce::Due(uint64_t nowMs) {
    if (!pending_ || nowMs < pickedAtMs_ + delayMs_)
        return std::nullopt;
    const std::optional<int> due = pending_;
    pending_.reset();
    return due;
}

uint64_t ProfilePickDebounce::RemainingMs(uint64_t nowMs) const {
    if (!pending_ || nowMs >= pickedAtMs_ + delayMs_)
        return 0;
    return pickedAtMs_ + delayMs_ - nowMs;
}
