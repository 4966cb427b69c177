// Applying a profile picked in the profile bar to its device, and the short
// wait after a pick: the user may run through the drop-down list, and only
// the entry picked last is applied, 400 ms after that pick.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class CZentrelUSBDevice;
class CZentrelMouseDevice;
class ProfileList;

inline constexpr uint64_t kProfilePickDelayMs = 400;

// The profile list of a device's folder with the kind's shipped default
// document, read (the first list is made at the first start).
void OpenDeviceProfileList(CZentrelUSBDevice& device, ProfileList& list);
// The kind code of the profile list for a device-type row (0 mouse, 1 keyboard,
// 2 mouse pad, 3 headset).
int ProfileListKindOfRow(int row);
// The selected profile of the mouse's list becomes its profile file.
void TakeSelectedProfile(CZentrelMouseDevice& mouse);

// What applying a profile gave.
struct ProfileApplyResult {
    bool applied = false;   // false: index outside the list, nothing done
    std::string profileId;  // the identifier handed to the device
    int settings = 0;       // SendSettings: 1 written, else the device's code
    int keyData = 0;        // the key data step: 0 sent, -1 write failed, else macros did not fit
    int keys = 0;           // the closing SendKeyAssignments: 1 written, else the device's code
};

// The whole sequence on a device: list.SelectProfile(index); the selected
// identifier goes to handProfileId (the device's profile file name);
// LoadSelectedProfile, OnMacrosChanged, ApplyToPage, SendSettings(0, 0) (the
// devices here take no screen size); the key data step; SendKeyAssignments.
// Nothing reaches the device when index is not an entry of the list.
ProfileApplyResult ApplyPickedProfile(ProfileList& list, int index, CZentrelUSBDevice& device,
                                      const std::function<void(const std::string&)>& handProfileId);
// The same for the mouse, which takes the identifier as its profile file name.
ProfileApplyResult ApplyPickedProfile(ProfileList& list, int index, CZentrelMouseDevice& mouse);

// Picks of the drop-down list, told with the time they happened; Due says
// when the last one is to be applied. Each pick starts the wait again.
class ProfilePickDebounce {
  public:
    explicit ProfilePickDebounce(uint64_t delayMs = kProfilePickDelayMs) : delayMs_(delayMs) {}
    void Pick(int index, uint64_t nowMs);
    // The index to apply once the wait after the last pick is over (and only
    // once); none while waiting or when nothing was picked.
    std::optional<int> Due(uint64_t nowMs);
    bool Pending() const { return pending_.has_value(); }
    // Milliseconds left until the pending pick is due (0 when due or none).
    uint64_t RemainingMs(uint64_t nowMs) const;
    void Cancel() { pending_.reset(); }

  private:
    uint64_t delayMs_;
    std::optional<int> pending_;
    uint64_t pickedAtMs_ = 0;
};
