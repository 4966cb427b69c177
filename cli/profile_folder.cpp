#include "cli/profile_folder.h"

#include <cerrno>
#include <cstring>
#include <iterator>

#include "devices/zentrel_mouse_device.h"
#include "link/supported_devices.h"
#include "profiles/data_folders.h"
#include "profiles/profile_list.h"

namespace {

// The kinds in the order of the rows of the device-type table, whose names
// are also the device folders' names.
constexpr const char* kKinds[] = {"mouse", "keyboard", "mousepad", "headset"};

int KindRow(const std::string& kind) {
    for (size_t i = 0; i < std::size(kKinds); ++i)
        if (kind == kKinds[i])
            return static_cast<int>(i);
    return -1;
}

}  // namespace

bool OpenProfileList(const std::string& kind, ProfileList& list, std::string& error) {
    const int row = KindRow(kind);
    if (row < 0) {
        error = "unknown device kind '" + kind + "'";
        return false;
    }
    const DeviceTypeRow& type = kDeviceTypeTable[static_cast<size_t>(row)];
    int made = 0;
    const std::string folder = DeviceFolder(type.name, &made);
    if (made != 0) {
        error = "cannot create the folder " + folder + ": " + std::strerror(made);
        return false;
    }
    list.SetDeviceKind(type.cableType);
    list.SetProfilePaths(folder, DefaultDataFolder() + type.name + ".Json");
    list.ClearWriteError();
    list.LoadProfileList();
    if (list.CurrentIndex() < 0 || list.WriteError() != 0) {
        error = "cannot write the profile list in " + folder + ": " +
                std::strerror(list.WriteError() != 0 ? list.WriteError() : EIO);
        return false;
    }
    return true;
}

std::string SelectedProfileFileName(const std::string& kind, std::string& error) {
    ProfileList list;
    if (!OpenProfileList(kind, list, error))
        return "";
    return list.SelectedProfileId();
}

int ReadMouseWithSelectedProfile(CZentrelMouseDevice& mouse) {
    mouse.LoadLibraries();
    std::string error;
    const std::string profile = SelectedProfileFileName("mouse", error);
    if (!profile.empty()) mouse.SetProfileFileName(profile);
    const int read = mouse.ReadMouse();
    mouse.StopLightingThread();
    return read;
}
