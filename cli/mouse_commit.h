// What `r730ctl mouse` says about an accepted change: whether the profile was
// saved and what the mouse answered, as JSON members and as the exit code.
#pragma once

#include <cstdio>

#include <json/json.h>

#include "cli/mouse_request.h"
#include "devices/zentrel_mouse_device.h"

// {"saved": …, "sent": …, "result": the mouse's answer}.
Json::Value CommitJson(const MouseCommit& commit);

// 0 when the profile was saved and the mouse took the change; else 1 after a
// message that says both what happened to the profile and what the mouse answered.
int CommitStatus(const MouseRequest& request, const MouseCommit& commit, std::FILE* err);
