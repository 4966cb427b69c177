#pragma once

#include <cstdio>

// Prints the HID interfaces present (one line per top-level collection).
// Returns the process exit code.
int RunListCommand(std::FILE* out, std::FILE* err);
