// The words `r730ctl mouse assign` takes for the rows of the key-function
// tables (mouse buttons, DPI steps, media, system, shortcuts), for keyboard
// keys and for modifiers, and the lists of them that error messages name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "devices/key_codes.h"

// A table whose rows the user names with a word.
enum class NamedTable { MouseButton, Dpi, Media, System, Shortcut };

// The row of the table (the item index of the editor's list) that `word` names.
std::optional<int> FindNamedRow(NamedTable table, const std::string& word);
// The accepted words, in row order, joined with ", " (the last with " or ").
std::string NamedRowList(NamedTable table);

// The HID keyboard usage of a key name ("a", "f5", "enter", "pageup", "num1",
// "backslash", …) or of a hex usage "0x04" … "0xE7"; std::nullopt otherwise.
std::optional<uint8_t> FindKeyUsage(const std::string& word);
// The key names the message for an unknown key names.
std::string KeyNameList();

// The HID modifier bit of "ctrl", "shift", "alt", "win", "rctrl", "rshift",
// "ralt", "rwin"; 0 for any other word.
uint8_t ModifierBit(const std::string& word);
inline constexpr char kModifierWords[] = "ctrl, shift, alt, win, rctrl, rshift, ralt, rwin";

inline constexpr int kKeyUsageMin = 0x04;
inline constexpr int kKeyUsageMax = 0xE7;
