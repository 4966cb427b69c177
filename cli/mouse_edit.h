// The edits of `r730ctl mouse`: one setting of a mouse object changed through
// its page operations (record → profile → save → block write), and that
// setting as the mouse object holds it, to print before and after.
#pragma once

#include <string>

#include <json/json.h>

#include "cli/mouse_request.h"
#include "devices/zentrel_mouse_device.h"

struct MouseField {
    std::string label;  // "stage 2 DPI", "report rate", …
    std::string text;   // its value for a reader
    Json::Value json;   // its value as members of the command's JSON object
};

// The setting an edit request changes, as the model holds it now. Not for
// show, defaults, buttons or assign.
MouseField DescribeMouseField(CZentrelMouseDevice& mouse, const MouseRequest& request);
MouseCommit ApplyMouseEdit(CZentrelMouseDevice& mouse, const MouseRequest& request);
