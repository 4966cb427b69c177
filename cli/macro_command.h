// `r730ctl mouse macro …` and `r730ctl keyboard macro …`: the macro library of
// the device's data folder (list, new, rename, delete, show, import, export,
// save), and on the mouse the key data sent after a delete (and on `send`).
// The keyboard's commands work on its files only: there is no keyboard device
// yet.
#pragma once

#include <cstdio>
#include <string>

// kind: "mouse" or "keyboard"; argv[first] is the word after "macro".
// Exit codes: 0 done; 1 refused or failed (the reason on err); 2 wrong words;
// 3 `delete` of a macro a key uses, without --yes (nothing changed).
int RunMacroCommand(const std::string& kind, int argc, char** argv, int first, std::FILE* out,
                    std::FILE* err);
