#pragma once

#include <cstdio>

// r730ctl mouse show|dpi|stage|active-stage|rate|liftoff|calibration|ripple|
//               debounce|sleep|defaults|buttons|assign [VALUES] [--json]
// Reads the mouse as the application does when its link opens (take-over,
// key table, profile, settings), then shows its settings or makes one edit,
// which is saved in the profile and written to the mouse. Returns the process
// exit code: 0 done, 1 no mouse or a failed read, save or write, 2 wrong use
// (nothing is sent then).
int RunMouseCommand(int argc, char** argv, int first, std::FILE* out, std::FILE* err);
