#pragma once

#include <cstdio>

// r730ctl raw [KIND] info|status|keytable|ledmap|settings OFFSET LENGTH [--json]
// Reads one area of a device's memory through the command functions and prints
// it in hex (or as JSON). KIND: mouse, keyboard, mousepad, headset; default the
// first device found. Returns the process exit code.
int RunRawCommand(int argc, char** argv, int first, std::FILE* out, std::FILE* err);
