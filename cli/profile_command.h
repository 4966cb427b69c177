#pragma once

#include <cstdio>
#include <string>

// r730ctl DEVICE profile list|new|copy|rename NAME|delete|select INDEX|
//                        export FILE|import FILE|reset [--json]
// The profile list of one device kind ("mouse", "keyboard", "mousepad",
// "headset") in the user's data folder, with the profile bar's rules. copy,
// rename, delete, export and reset act on the selected profile, which select
// changes and the list file keeps. select on the mouse also applies the
// profile to the mouse when one is present. Returns the exit code: 0 done,
// 1 refused or failed (after a message), 2 wrong use (nothing changed).
int RunProfileCommand(const std::string& kind, int argc, char** argv, int first, std::FILE* out,
                      std::FILE* err);
