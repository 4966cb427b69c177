// The names r730ctl gives the device kinds and their connections.
#pragma once

#include <string>

// The kind of a device-type row (0 mouse, 1 keyboard, 2 mouse pad, 3 headset):
// "mouse", "keyboard", "mousepad", "headset"; "" for any other row.
const char* KindOfRow(int typeRow);
// The kind of an interface's device type (1, 9 keyboard; 2, 6 mouse; 3 mouse
// pad; 7 headset); "" for any other type.
const char* KindOfType(int deviceType);
// "receiver" for the receiver types (6, 9), else "cable".
const char* ConnectionOfType(int deviceType);
// "command" (role 0) or "companion".
const char* RoleName(int role);
bool IsKindName(const std::string& name);
