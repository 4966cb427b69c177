// The vocabulary of key functions: the category codes of a KeyAssignment, the
// static code tables the key assignment editor picks its parameters from, the
// capture table that recognises a key pressed on the physical keyboard, and the
// editor's function types.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "profiles/profile_records.h"

// The category byte of a KeyAssignment.
enum class AssignmentCategory : uint8_t {
    Disabled = 0x00,
    MouseButton = 0x10,  // param1: button bit
    Tilt = 0x11,         // param1: delay << 4 | speed; param2: bit 7 right, bits 0-6 count
    Wheel = 0x12,        // param1: delay << 4 | speed; param2: signed count, negative scrolls down
    DpiStep = 0x13,      // param1: 1 up, 2 down, 3 cycle
    Fire = 0x14,         // param1: interval, param2: shot count
    Reserved15 = 0x15,
    DpiShift = 0x16,
    KeyboardKey = 0x20,  // param1: HID modifier bits, param2: HID keyboard usage
    Reserved21 = 0x21,
    EditShortcut = 0x22,  // param2: 0 cut ... 8 open
    ShowWindow = 0x23,
    Consumer = 0x30,       // param1, param2: low and high byte of a HID consumer usage
    SystemControl = 0x40,  // param1: 0x01, 0x02 or 0x04
    Reserved50 = 0x50,
    Reserved60 = 0x60,
    Macro = 0x70,       // param1: macro library index (slot on the device), param2: play mode
    MacroCount = 0x71,  // param1: as Macro, param2: repeat count
    GunKey = 0x72,      // param1: gun 0-3
    Special = 0xA0,     // param1: 0 off, 1 Fn, 2 smart key, 0x1B game mode
    ReservedB0 = 0xB0,
    ReservedC0 = 0xC0,
    MemoryKey = 0xD0,  // param1 0xA2, param2 1-5
};

constexpr uint8_t CategoryCode(AssignmentCategory c) {
    return static_cast<uint8_t>(c);
}
constexpr bool HasCategory(const KeyAssignment& a, AssignmentCategory c) {
    return a.category == CategoryCode(c);
}
// Category 0x70 or 0x71: param1 names a macro of the library.
constexpr bool IsMacroAssignment(const KeyAssignment& a) {
    return HasCategory(a, AssignmentCategory::Macro) ||
           HasCategory(a, AssignmentCategory::MacroCount);
}

// HID modifier bits of a keyboard assignment's param1.
inline constexpr uint8_t kModifierLeftCtrl = 0x01;
inline constexpr uint8_t kModifierLeftShift = 0x02;
inline constexpr uint8_t kModifierLeftAlt = 0x04;
inline constexpr uint8_t kModifierLeftWin = 0x08;
inline constexpr uint8_t kModifierRightCtrl = 0x10;

// One row of a code table. `id` is a row id: the Windows virtual-key code in
// the keyboard table, the row index in the others.
struct KeyCodeRow {
    uint16_t id = 0;
    uint8_t category = 0;
    uint8_t param1 = 0;
    uint8_t param2 = 0;
    uint8_t reserved = 0;
    KeyAssignment Assignment(uint16_t keyIndex) const {
        return {keyIndex, category, param1, param2, 0};
    }
};

// A code table: its rows and the language id of each row, in parallel. The row
// index is also the item index of the editor's drop-down list for the table.
struct CodeTable {
    std::span<const KeyCodeRow> rows;
    std::span<const char* const> names;
    size_t size() const { return rows.size(); }
    // The first row whose category, param1 and param2 equal those given;
    // std::nullopt for "any" in a field that is not compared.
    std::optional<size_t> Find(std::optional<uint8_t> category, std::optional<uint8_t> param1,
                               std::optional<uint8_t> param2 = std::nullopt,
                               size_t firstRow = 0) const;
};

// A key of the physical keyboard: virtual-key code, set-1 scan code and the
// extended flag, in the order of the first rows of the keyboard table.
struct CaptureRow {
    uint16_t virtualKey = 0;
    uint8_t scanCode = 0;
    uint8_t extended = 0;
};

inline constexpr size_t kKeyboardRowCount = 142;
inline constexpr size_t kCaptureRowCount = 113;
inline constexpr size_t kModifierRowCount = 8;  // rows 0-7 of the keyboard table
inline constexpr size_t kGunCount = 4;

const CodeTable& MouseButtonTable();         // 5 rows, "keyset_mousekey_combo"
const CodeTable& DpiTable();                 // 3 rows, "keyset_mousedpi_combo"
const CodeTable& MediaTable();               // 18 rows, "keyset_media_combo"
const CodeTable& SystemTable();              // 3 rows, "keyset_system_combo"
const CodeTable& CombinationKeyTable();      // 11 rows, "keyset_combokey_combo"
const CodeTable& EditShortcutTable();        // 9 rows, labels only
const CodeTable& SpecialLabelTable();        // 4 rows, labels only
const CodeTable& KeyboardKeyTable();         // 142 rows
std::span<const CaptureRow> CaptureTable();  // 113 rows: keyboard rows 0-112
// "gun_1_txt" ... "gun_4_txt": the items of "keyset_gunkey_combo", index = param1.
std::span<const char* const> GunLabels();

// The editor's function types: the user data of the items of
// "keyset_function_combo" and the page index of "function_switch_tablayout".
enum class FunctionType : int {
    None = -1,
    Default = 0,
    MouseButton = 1,
    Tilt = 2,
    Wheel = 3,
    Dpi = 4,
    Fire = 5,
    KeyboardKey = 6,
    Media = 7,
    System = 8,
    Macro = 9,
    GunKey = 10,
    Shortcut = 11,
};
inline constexpr int kFunctionTypeCount = 12;

// The user data text of a function type: "0" ... "11" (empty for None).
const char* FunctionTypeUserData(FunctionType type);
// The type an item's user data names; None for any other text.
FunctionType FunctionTypeFromUserData(const char* userData);
