#pragma once

#include <cstdio>

// Lists the supported devices present and the HID interfaces they were found
// on (one line per top-level collection); with `json`, only the devices, as a
// JSON array of {"kind", "connection", "vendor_id", "product_id"}. Returns the
// process exit code.
int RunListCommand(std::FILE* out, std::FILE* err, bool json = false);
