#include "cli/device_kinds.h"

#include "devices/device_types.h"
#include "link/supported_devices.h"

namespace {

constexpr const char* kKinds[] = {"mouse", "keyboard", "mousepad", "headset"};

}  // namespace

const char* KindOfRow(int typeRow) {
    if (typeRow < 0 || typeRow >= static_cast<int>(std::size(kKinds))) return "";
    return kKinds[typeRow];
}

const char* KindOfType(int deviceType) {
    switch (deviceType) {
        case kTypeMouse:
        case kTypeMouseReceiver: return "mouse";
        case kTypeKeyboard:
        case kTypeKeyboardReceiver: return "keyboard";
        case kTypeMousePad: return "mousepad";
        case kTypeHeadset: return "headset";
        default: return "";
    }
}

const char* ConnectionOfType(int deviceType) {
    return IsReceiverType(deviceType) ? "receiver" : "cable";
}

const char* RoleName(int role) { return role == kRoleCommand ? "command" : "companion"; }

bool IsKindName(const std::string& name) {
    for (const char* kind : kKinds)
        if (name == kind) return true;
    return false;
}
