// `r730ctl mouse buttons` and `mouse assign`: the functions of the mouse's
// buttons, and one button given a new function as the key editor applies it
// (stored at the key, key list saved in the profile, key table written).
#pragma once

#include <cstdio>

#include "cli/mouse_request.h"
#include "devices/zentrel_mouse_device.h"

// Each button: index, label, current and default code (0xCCPPQQ), slot.
int ShowMouseButtons(CZentrelMouseDevice& mouse, const MouseRequest& request, std::FILE* out);
// Returns 0 done; 1 not saved, not taken by the mouse, or the button has no
// slot on the mouse; 2 a button or macro the profile does not have (nothing
// changed).
int AssignMouseButton(CZentrelMouseDevice& mouse, const MouseRequest& request, std::FILE* out,
                      std::FILE* err);
