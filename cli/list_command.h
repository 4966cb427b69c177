#pragma once

#include <cstdio>

// Lists the supported devices present, found as the application finds them
// (one device per mouse or keyboard, however it is connected), then every HID
// interface present (one line per top-level collection); with `json`, only the
// devices, as a JSON array of {"kind", "connection", "vendor_id",
// "product_id"}. Returns the process exit code.
int RunListCommand(std::FILE* out, std::FILE* err, bool json = false);
