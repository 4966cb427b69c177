// What one `r730ctl DEVICE macro …` run works on: the device kind and folder,
// the words, the flags and the output streams, with the helpers every
// subcommand shares.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "profiles/macro_library.h"

inline constexpr int kMacroExitRefused = 1;
inline constexpr int kMacroExitUsage = 2;
inline constexpr int kMacroExitInUse = 3;

struct MacroContext {
    std::string kind;    // "mouse", "keyboard"
    std::string folder;  // the device's data folder
    std::vector<std::string> words;
    bool json = false;
    bool yes = false;
    std::FILE* out = nullptr;
    std::FILE* err = nullptr;

    std::string Name() const { return kind + " macro " + (words.empty() ? "" : words[0]); }
    // "usage: KIND macro USAGE"; returns kMacroExitUsage.
    int Usage(const char* usage) const;
    // "KIND macro SUB: WHY"; returns kMacroExitRefused.
    int Refused(const std::string& why) const;
};

// Loads the library, saying when ids of a hand-edited index had to be replaced.
void LoadMacroLibrary(const MacroContext& c, CMacroLibrary& library);
// The INDEX word: a macro of the library. False after a message.
bool ParseMacroIndex(const MacroContext& c, const CMacroLibrary& library, const std::string& word, int& index);

// `delete INDEX [--yes]` and (mouse) `send`.
int DeleteMacroCommand(const MacroContext& c);
int SendMacrosCommand(const MacroContext& c);
