#include "devices/key_codes.h"

#include <cstring>

namespace {

constexpr uint8_t kButton = CategoryCode(AssignmentCategory::MouseButton);
constexpr uint8_t kDpi = CategoryCode(AssignmentCategory::DpiStep);
constexpr uint8_t kConsumer = CategoryCode(AssignmentCategory::Consumer);
constexpr uint8_t kSystem = CategoryCode(AssignmentCategory::SystemControl);
constexpr uint8_t kKey = CategoryCode(AssignmentCategory::KeyboardKey);
constexpr uint8_t kEdit = CategoryCode(AssignmentCategory::EditShortcut);

// A consumer-page usage as the two parameter bytes: low byte, high byte.
constexpr KeyCodeRow Media(uint16_t row, uint16_t usage) {
    return {row, kConsumer, static_cast<uint8_t>(usage & 0xFF), static_cast<uint8_t>(usage >> 8),
            0};
}

const std::array<KeyCodeRow, 5> kMouseButtonRows = {{
    {0, kButton, 0x01, 0x00, 0},
    {1, kButton, 0x04, 0x00, 0},
    {2, kButton, 0x02, 0x00, 0},
    {3, kButton, 0x10, 0x00, 0},
    {4, kButton, 0x08, 0x00, 0},
}};
const std::array<const char*, 5> kMouseButtonNames = {
    "mouse_key_left", "mouse_key_middle", "mouse_key_right", "mouse_key_forward", "mouse_key_back",
};

const std::array<KeyCodeRow, 3> kDpiRows = {{
    {0, kDpi, 0x01, 0x00, 0},
    {1, kDpi, 0x02, 0x00, 0},
    {2, kDpi, 0x03, 0x00, 0},
}};
const std::array<const char*, 3> kDpiNames = {"mouse_key_DPI_add", "mouse_key_DPI_sub",
                                              "mouse_key_DPI_loop"};

const std::array<KeyCodeRow, 18> kMediaRows = {{
    Media(0, 0x0183),
    Media(1, 0x00CD),
    Media(2, 0x00B7),
    Media(3, 0x00B6),
    Media(4, 0x00B5),
    Media(5, 0x00EA),
    Media(6, 0x00E9),
    Media(7, 0x00E2),
    Media(8, 0x0223),
    Media(9, 0x0227),
    Media(10, 0x0226),
    Media(11, 0x0224),
    Media(12, 0x0225),
    Media(13, 0x022A),
    Media(14, 0x0221),
    Media(15, 0x0194),
    Media(16, 0x0192),
    Media(17, 0x018A),
}};
const std::array<const char*, 18> kMediaNames = {
    "media_text",    "media_play",   "media_stop", "media_prev",  "media_next", "media_vol_sub",
    "media_vol_add", "media_mute",   "web_text",   "web_refresh", "wed_stop",   "wed_back",
    "wed_forward",   "wed_favorite", "web_search", "media_mypc",  "media_calc", "media_mail",
};

const std::array<KeyCodeRow, 3> kSystemRows = {{
    {0, kSystem, 0x01, 0x00, 0},
    {1, kSystem, 0x02, 0x00, 0},
    {2, kSystem, 0x04, 0x00, 0},
}};
const std::array<const char*, 3> kSystemNames = {"system_sleep", "system_wake_up", "system_power"};

// Right Ctrl with a letter or symbol key.
const std::array<KeyCodeRow, 11> kCombinationRows = {{
    {0, kKey, kModifierRightCtrl, 0x12, 0},
    {1, kKey, kModifierRightCtrl, 0x11, 0},
    {2, kKey, kModifierRightCtrl, 0x1D, 0},
    {3, kKey, kModifierRightCtrl, 0x16, 0},
    {4, kKey, kModifierRightCtrl, 0x06, 0},
    {5, kKey, kModifierRightCtrl, 0x1B, 0},
    {6, kKey, kModifierRightCtrl, 0x19, 0},
    {7, kKey, kModifierRightCtrl, 0x09, 0},
    {8, kKey, kModifierRightCtrl, 0x04, 0},
    {9, kKey, kModifierRightCtrl, 0x2D, 0},
    {10, kKey, kModifierRightCtrl, 0x2E, 0},
}};
const std::array<const char*, 11> kCombinationNames = {
    "custem_open",       "custem_new",    "custem_undo",    "custem_save",
    "custem_copy",       "custem_cut",    "custem_paste",   "custem_find",
    "custem_select_all", "custem_narrow", "custem_magnify",
};

const std::array<KeyCodeRow, 9> kEditShortcutRows = {{
    {0, kEdit, 0, 0, 0},
    {1, kEdit, 0, 1, 0},
    {2, kEdit, 0, 2, 0},
    {3, kEdit, 0, 3, 0},
    {4, kEdit, 0, 4, 0},
    {5, kEdit, 0, 5, 0},
    {6, kEdit, 0, 6, 0},
    {7, kEdit, 0, 7, 0},
    {8, kEdit, 0, 8, 0},
}};
const std::array<const char*, 9> kEditShortcutNames = {
    "custem_cut",  "custem_copy", "custem_paste", "custem_undo", "custem_select_all",
    "custem_find", "custem_new",  "custem_save",  "custem_open",
};

const std::array<KeyCodeRow, 4> kSpecialRows = {{
    {0, CategoryCode(AssignmentCategory::Special), 0x02, 0x00, 0},
    {1, CategoryCode(AssignmentCategory::Special), 0x00, 0x00, 0},
    {2, CategoryCode(AssignmentCategory::DpiShift), 0x00, 0x00, 0},
    {3, CategoryCode(AssignmentCategory::ShowWindow), 0x00, 0x00, 0},
}};
const std::array<const char*, 4> kSpecialNames = {"mouse_key_smart_key", "close_text",
                                                  "mouse_key_DPI_shift", "show_window"};

const std::array<const char*, kGunCount> kGunLabels = {"gun_1_txt", "gun_2_txt", "gun_3_txt",
                                                       "gun_4_txt"};

// The keyboard table: rows 0-7 the modifiers, 8-112 the keys with a HID
// keyboard usage (also the capture table), 113-141 the entries of the
// keyboard's own default layout that only label keys.
const std::array<KeyCodeRow, kKeyboardRowCount> kKeyboardRows = {{
    {0xA2, 0x20, 0x01, 0x00, 0},   // 0
    {0xA0, 0x20, 0x02, 0x00, 0},   // 1
    {0xA4, 0x20, 0x04, 0x00, 0},   // 2
    {0x5B, 0x20, 0x08, 0x00, 0},   // 3
    {0xA3, 0x20, 0x10, 0x00, 0},   // 4
    {0xA1, 0x20, 0x20, 0x00, 0},   // 5
    {0xA5, 0x20, 0x40, 0x00, 0},   // 6
    {0x5C, 0x20, 0x80, 0x00, 0},   // 7
    {0x41, 0x20, 0x00, 0x04, 0},   // 8
    {0x42, 0x20, 0x00, 0x05, 0},   // 9
    {0x43, 0x20, 0x00, 0x06, 0},   // 10
    {0x44, 0x20, 0x00, 0x07, 0},   // 11
    {0x45, 0x20, 0x00, 0x08, 0},   // 12
    {0x46, 0x20, 0x00, 0x09, 0},   // 13
    {0x47, 0x20, 0x00, 0x0A, 0},   // 14
    {0x48, 0x20, 0x00, 0x0B, 0},   // 15
    {0x49, 0x20, 0x00, 0x0C, 0},   // 16
    {0x4A, 0x20, 0x00, 0x0D, 0},   // 17
    {0x4B, 0x20, 0x00, 0x0E, 0},   // 18
    {0x4C, 0x20, 0x00, 0x0F, 0},   // 19
    {0x4D, 0x20, 0x00, 0x10, 0},   // 20
    {0x4E, 0x20, 0x00, 0x11, 0},   // 21
    {0x4F, 0x20, 0x00, 0x12, 0},   // 22
    {0x50, 0x20, 0x00, 0x13, 0},   // 23
    {0x51, 0x20, 0x00, 0x14, 0},   // 24
    {0x52, 0x20, 0x00, 0x15, 0},   // 25
    {0x53, 0x20, 0x00, 0x16, 0},   // 26
    {0x54, 0x20, 0x00, 0x17, 0},   // 27
    {0x55, 0x20, 0x00, 0x18, 0},   // 28
    {0x56, 0x20, 0x00, 0x19, 0},   // 29
    {0x57, 0x20, 0x00, 0x1A, 0},   // 30
    {0x58, 0x20, 0x00, 0x1B, 0},   // 31
    {0x59, 0x20, 0x00, 0x1C, 0},   // 32
    {0x5A, 0x20, 0x00, 0x1D, 0},   // 33
    {0x31, 0x20, 0x00, 0x1E, 0},   // 34
    {0x32, 0x20, 0x00, 0x1F, 0},   // 35
    {0x33, 0x20, 0x00, 0x20, 0},   // 36
    {0x34, 0x20, 0x00, 0x21, 0},   // 37
    {0x35, 0x20, 0x00, 0x22, 0},   // 38
    {0x36, 0x20, 0x00, 0x23, 0},   // 39
    {0x37, 0x20, 0x00, 0x24, 0},   // 40
    {0x38, 0x20, 0x00, 0x25, 0},   // 41
    {0x39, 0x20, 0x00, 0x26, 0},   // 42
    {0x30, 0x20, 0x00, 0x27, 0},   // 43
    {0x0D, 0x20, 0x00, 0x28, 0},   // 44
    {0x1B, 0x20, 0x00, 0x29, 0},   // 45
    {0x08, 0x20, 0x00, 0x2A, 0},   // 46
    {0x09, 0x20, 0x00, 0x2B, 0},   // 47
    {0x20, 0x20, 0x00, 0x2C, 0},   // 48
    {0xBD, 0x20, 0x00, 0x2D, 0},   // 49
    {0xBB, 0x20, 0x00, 0x2E, 0},   // 50
    {0xDB, 0x20, 0x00, 0x2F, 0},   // 51
    {0xDD, 0x20, 0x00, 0x30, 0},   // 52
    {0xDC, 0x20, 0x00, 0x31, 0},   // 53
    {0xBA, 0x20, 0x00, 0x33, 0},   // 54
    {0xDE, 0x20, 0x00, 0x34, 0},   // 55
    {0xC0, 0x20, 0x00, 0x35, 0},   // 56
    {0xBC, 0x20, 0x00, 0x36, 0},   // 57
    {0xBE, 0x20, 0x00, 0x37, 0},   // 58
    {0xBF, 0x20, 0x00, 0x38, 0},   // 59
    {0x14, 0x20, 0x00, 0x39, 0},   // 60
    {0x70, 0x20, 0x00, 0x3A, 0},   // 61
    {0x71, 0x20, 0x00, 0x3B, 0},   // 62
    {0x72, 0x20, 0x00, 0x3C, 0},   // 63
    {0x73, 0x20, 0x00, 0x3D, 0},   // 64
    {0x74, 0x20, 0x00, 0x3E, 0},   // 65
    {0x75, 0x20, 0x00, 0x3F, 0},   // 66
    {0x76, 0x20, 0x00, 0x40, 0},   // 67
    {0x77, 0x20, 0x00, 0x41, 0},   // 68
    {0x78, 0x20, 0x00, 0x42, 0},   // 69
    {0x79, 0x20, 0x00, 0x43, 0},   // 70
    {0x7A, 0x20, 0x00, 0x44, 0},   // 71
    {0x7B, 0x20, 0x00, 0x45, 0},   // 72
    {0x2C, 0x20, 0x00, 0x46, 0},   // 73
    {0x91, 0x20, 0x00, 0x47, 0},   // 74
    {0x13, 0x20, 0x00, 0x48, 0},   // 75
    {0x2D, 0x20, 0x00, 0x49, 0},   // 76
    {0x24, 0x20, 0x00, 0x4A, 0},   // 77
    {0x21, 0x20, 0x00, 0x4B, 0},   // 78
    {0x2E, 0x20, 0x00, 0x4C, 0},   // 79
    {0x23, 0x20, 0x00, 0x4D, 0},   // 80
    {0x22, 0x20, 0x00, 0x4E, 0},   // 81
    {0x27, 0x20, 0x00, 0x4F, 0},   // 82
    {0x25, 0x20, 0x00, 0x50, 0},   // 83
    {0x28, 0x20, 0x00, 0x51, 0},   // 84
    {0x26, 0x20, 0x00, 0x52, 0},   // 85
    {0x90, 0x20, 0x00, 0x53, 0},   // 86
    {0x6F, 0x20, 0x00, 0x54, 0},   // 87
    {0x6A, 0x20, 0x00, 0x55, 0},   // 88
    {0x6D, 0x20, 0x00, 0x56, 0},   // 89
    {0x6B, 0x20, 0x00, 0x57, 0},   // 90
    {0x101, 0x20, 0x00, 0x58, 0},  // 91
    {0x61, 0x20, 0x00, 0x59, 0},   // 92
    {0x62, 0x20, 0x00, 0x5A, 0},   // 93
    {0x63, 0x20, 0x00, 0x5B, 0},   // 94
    {0x64, 0x20, 0x00, 0x5C, 0},   // 95
    {0x65, 0x20, 0x00, 0x5D, 0},   // 96
    {0x66, 0x20, 0x00, 0x5E, 0},   // 97
    {0x67, 0x20, 0x00, 0x5F, 0},   // 98
    {0x68, 0x20, 0x00, 0x60, 0},   // 99
    {0x69, 0x20, 0x00, 0x61, 0},   // 100
    {0x60, 0x20, 0x00, 0x62, 0},   // 101
    {0x6E, 0x20, 0x00, 0x63, 0},   // 102
    {0x5D, 0x20, 0x00, 0x65, 0},   // 103
    {0xE2, 0x20, 0x00, 0x64, 0},   // 104
    {0xC1, 0x20, 0x00, 0x87, 0},   // 105
    {0xFF, 0x20, 0x00, 0x89, 0},   // 106
    {0xC2, 0x20, 0x00, 0x85, 0},   // 107
    {0xEB, 0x20, 0x00, 0x8B, 0},   // 108
    {0xFF, 0x20, 0x00, 0x8A, 0},   // 109
    {0xFF, 0x20, 0x00, 0x88, 0},   // 110
    {0xE9, 0x20, 0x00, 0x91, 0},   // 111
    {0xFF, 0x20, 0x00, 0x90, 0},   // 112
    {0xBF, 0x20, 0x00, 0x32, 0},   // 113
    {0xB7, 0x30, 0x92, 0x01, 0},   // 114
    {0xAC, 0x30, 0x23, 0x02, 0},   // 115
    {0xB3, 0x30, 0xCD, 0x00, 0},   // 116
    {0xAA, 0x30, 0x21, 0x02, 0},   // 117
    {0xB4, 0x30, 0x8A, 0x01, 0},   // 118
    {0xAF, 0x30, 0xE9, 0x00, 0},   // 119
    {0xAD, 0x30, 0xE2, 0x00, 0},   // 120
    {0xB2, 0x30, 0xB7, 0x00, 0},   // 121
    {0xAE, 0x30, 0xEA, 0x00, 0},   // 122
    {0xAB, 0x30, 0x2A, 0x02, 0},   // 123
    {0xA7, 0x30, 0x25, 0x02, 0},   // 124
    {0xA6, 0x30, 0x24, 0x02, 0},   // 125
    {0xB1, 0x30, 0xB6, 0x00, 0},   // 126
    {0xB0, 0x30, 0xB5, 0x00, 0},   // 127
    {0xB6, 0x30, 0x94, 0x01, 0},   // 128
    {0xA8, 0x30, 0x27, 0x02, 0},   // 129
    {0xA9, 0x30, 0x26, 0x02, 0},   // 130
    {0xB5, 0x30, 0x83, 0x01, 0},   // 131
    {0x103, 0x40, 0x01, 0x00, 0},  // 132
    {0x104, 0x40, 0x02, 0x00, 0},  // 133
    {0x105, 0x40, 0x04, 0x00, 0},  // 134
    {0x00, 0xD0, 0xA2, 0x01, 0},   // 135
    {0x00, 0xD0, 0xA2, 0x02, 0},   // 136
    {0x00, 0xD0, 0xA2, 0x03, 0},   // 137
    {0x00, 0xD0, 0xA2, 0x04, 0},   // 138
    {0x00, 0xD0, 0xA2, 0x05, 0},   // 139
    {0x00, 0xA0, 0x01, 0x00, 0},   // 140
    {0x00, 0xA0, 0x1B, 0x00, 0},   // 141
}};
const std::array<const char*, kKeyboardRowCount> kKeyboardNames = {
    "keyboard_key_LCtrl",
    "keyboard_key_LShift",
    "keyboard_key_LAlt",
    "keyboard_key_LWin",
    "keyboard_key_RCtrl",
    "keyboard_key_RShift",
    "keyboard_key_RAlt",
    "keyboard_key_RWin",
    "keyboard_key_A",
    "keyboard_key_B",
    "keyboard_key_C",
    "keyboard_key_D",
    "keyboard_key_E",
    "keyboard_key_F",
    "keyboard_key_G",
    "keyboard_key_H",
    "keyboard_key_I",
    "keyboard_key_J",
    "keyboard_key_K",
    "keyboard_key_L",
    "keyboard_key_M",
    "keyboard_key_N",
    "keyboard_key_O",
    "keyboard_key_P",
    "keyboard_key_Q",
    "keyboard_key_R",
    "keyboard_key_S",
    "keyboard_key_T",
    "keyboard_key_U",
    "keyboard_key_V",
    "keyboard_key_W",
    "keyboard_key_X",
    "keyboard_key_Y",
    "keyboard_key_Z",
    "keyboard_key_1",
    "keyboard_key_2",
    "keyboard_key_3",
    "keyboard_key_4",
    "keyboard_key_5",
    "keyboard_key_6",
    "keyboard_key_7",
    "keyboard_key_8",
    "keyboard_key_9",
    "keyboard_key_0",
    "keyboard_key_Enter",
    "keyboard_key_Esc",
    "keyboard_key_BackSpace",
    "keyboard_key_Tab",
    "keyboard_key_Space",
    "keyboard_key_-",
    "keyboard_key_=",
    "keyboard_key_[",
    "keyboard_key_]",
    "keyboard_key_xiegang",
    "keyboard_key_;",
    "keyboard_key_'",
    "keyboard_key_`",
    "keyboard_key_<",
    "keyboard_key_.",
    "keyboard_key_/",
    "keyboard_key_Caplk",
    "keyboard_key_F1",
    "keyboard_key_F2",
    "keyboard_key_F3",
    "keyboard_key_F4",
    "keyboard_key_F5",
    "keyboard_key_F6",
    "keyboard_key_F7",
    "keyboard_key_F8",
    "keyboard_key_F9",
    "keyboard_key_F10",
    "keyboard_key_F11",
    "keyboard_key_F12",
    "keyboard_key_Print Scr",
    "keyboard_key_Scroll Lock",
    "keyboard_key_Pause",
    "keyboard_key_Insert",
    "keyboard_key_Home",
    "keyboard_key_Page Up",
    "keyboard_key_Delete",
    "keyboard_key_End",
    "keyboard_key_Page Down",
    "keyboard_key_Right",
    "keyboard_key_Left",
    "keyboard_key_Down",
    "keyboard_key_Up",
    "keyboard_key_Num Lock",
    "keyboard_key_Num /",
    "keyboard_key_Num *",
    "keyboard_key_Num -",
    "keyboard_key_Num +",
    "keyboard_key_Num Enter",
    "keyboard_key_Num 1",
    "keyboard_key_Num 2",
    "keyboard_key_Num 3",
    "keyboard_key_Num 4",
    "keyboard_key_Num 5",
    "keyboard_key_Num 6",
    "keyboard_key_Num 7",
    "keyboard_key_Num 8",
    "keyboard_key_Num 9",
    "keyboard_key_Num 0",
    "keyboard_key_Decimal",
    "keyboard_key_App",
    "keyboard_key_K45",
    "keyboard_key_K56",
    "keyboard_key_K14",
    "keyboard_key_K107",
    "keyboard_key_K131",
    "keyboard_key_K132",
    "keyboard_key_K133",
    "keyboard_key_K150",
    "keyboard_key_K151",
    "keyboard_key_K42",
    "keyboard_key_Launch App2",
    "keyboard_key_Browaer Home",
    "keyboard_key_Media Play Pause",
    "keyboard_key_Browser Search",
    "keyboard_key_Launch Mail",
    "keyboard_key_Volume Up",
    "keyboard_key_Volume Mute",
    "keyboard_key_Media Stop",
    "keyboard_key_Volume Down",
    "keyboard_key_Browser Favorites",
    "keyboard_key_Browser ForWard",
    "keyboard_key_Browser Back",
    "keyboard_key_Media Prev Track",
    "keyboard_key_Media Next Track",
    "keyboard_key_Computer",
    "keyboard_key_Browser Refresh",
    "wed_stop",
    "keyboard_key_Launch Media Select",
    "keyboard_key_Power",
    "keyboard_key_Sleep",
    "keyboard_key_Wakeup",
    "keyboard_key_M1",
    "keyboard_key_M2",
    "keyboard_key_M3",
    "keyboard_key_M4",
    "keyboard_key_M5",
    "keyboard_key_FN",
    "keyboard_key_GM",
};
const std::array<CaptureRow, kCaptureRowCount> kCaptureRows = {{
    {0xA2, 0x1D, 0},   // 0 LCtrl
    {0xA0, 0x2A, 0},   // 1 LShift
    {0xA4, 0x38, 0},   // 2 LAlt
    {0x5B, 0x5B, 1},   // 3 LWin
    {0xA3, 0x1D, 1},   // 4 RCtrl
    {0xA1, 0x36, 1},   // 5 RShift
    {0xA5, 0x38, 1},   // 6 RAlt
    {0x5C, 0x5C, 1},   // 7 RWin
    {0x41, 0x1E, 0},   // 8 A
    {0x42, 0x30, 0},   // 9 B
    {0x43, 0x2E, 0},   // 10 C
    {0x44, 0x20, 0},   // 11 D
    {0x45, 0x12, 0},   // 12 E
    {0x46, 0x21, 0},   // 13 F
    {0x47, 0x22, 0},   // 14 G
    {0x48, 0x23, 0},   // 15 H
    {0x49, 0x17, 0},   // 16 I
    {0x4A, 0x24, 0},   // 17 J
    {0x4B, 0x25, 0},   // 18 K
    {0x4C, 0x26, 0},   // 19 L
    {0x4D, 0x32, 0},   // 20 M
    {0x4E, 0x31, 0},   // 21 N
    {0x4F, 0x18, 0},   // 22 O
    {0x50, 0x19, 0},   // 23 P
    {0x51, 0x10, 0},   // 24 Q
    {0x52, 0x13, 0},   // 25 R
    {0x53, 0x1F, 0},   // 26 S
    {0x54, 0x14, 0},   // 27 T
    {0x55, 0x16, 0},   // 28 U
    {0x56, 0x2F, 0},   // 29 V
    {0x57, 0x11, 0},   // 30 W
    {0x58, 0x2D, 0},   // 31 X
    {0x59, 0x15, 0},   // 32 Y
    {0x5A, 0x2C, 0},   // 33 Z
    {0x31, 0x02, 0},   // 34 1
    {0x32, 0x03, 0},   // 35 2
    {0x33, 0x04, 0},   // 36 3
    {0x34, 0x05, 0},   // 37 4
    {0x35, 0x06, 0},   // 38 5
    {0x36, 0x07, 0},   // 39 6
    {0x37, 0x08, 0},   // 40 7
    {0x38, 0x09, 0},   // 41 8
    {0x39, 0x0A, 0},   // 42 9
    {0x30, 0x0B, 0},   // 43 0
    {0x0D, 0x1C, 0},   // 44 Enter
    {0x1B, 0x01, 0},   // 45 Esc
    {0x08, 0x0E, 0},   // 46 BackSpace
    {0x09, 0x0F, 0},   // 47 Tab
    {0x20, 0x39, 0},   // 48 Space
    {0xBD, 0x0C, 0},   // 49 -
    {0xBB, 0x0D, 0},   // 50 =
    {0xDB, 0x1A, 0},   // 51 [
    {0xDD, 0x1B, 0},   // 52 ]
    {0xDC, 0x2B, 0},   // 53 xiegang
    {0xBA, 0x27, 0},   // 54 ;
    {0xDE, 0x28, 0},   // 55 '
    {0xC0, 0x29, 0},   // 56 `
    {0xBC, 0x33, 0},   // 57 <
    {0xBE, 0x34, 0},   // 58 .
    {0xBF, 0x35, 0},   // 59 /
    {0x14, 0x3A, 0},   // 60 Caplk
    {0x70, 0x3B, 0},   // 61 F1
    {0x71, 0x3C, 0},   // 62 F2
    {0x72, 0x3D, 0},   // 63 F3
    {0x73, 0x3E, 0},   // 64 F4
    {0x74, 0x3F, 0},   // 65 F5
    {0x75, 0x40, 0},   // 66 F6
    {0x76, 0x41, 0},   // 67 F7
    {0x77, 0x42, 0},   // 68 F8
    {0x78, 0x43, 0},   // 69 F9
    {0x79, 0x44, 0},   // 70 F10
    {0x7A, 0x57, 0},   // 71 F11
    {0x7B, 0x58, 0},   // 72 F12
    {0x2C, 0x37, 1},   // 73 Print Scr
    {0x91, 0x46, 0},   // 74 Scroll Lock
    {0x13, 0x45, 0},   // 75 Pause
    {0x2D, 0x52, 1},   // 76 Insert
    {0x24, 0x47, 1},   // 77 Home
    {0x21, 0x49, 1},   // 78 Page Up
    {0x2E, 0x53, 1},   // 79 Delete
    {0x23, 0x4F, 1},   // 80 End
    {0x22, 0x51, 1},   // 81 Page Down
    {0x27, 0x4D, 1},   // 82 Right
    {0x25, 0x4B, 1},   // 83 Left
    {0x28, 0x50, 1},   // 84 Down
    {0x26, 0x48, 1},   // 85 Up
    {0x90, 0x45, 1},   // 86 Num Lock
    {0x6F, 0x35, 1},   // 87 Num /
    {0x6A, 0x37, 0},   // 88 Num *
    {0x6D, 0x4A, 0},   // 89 Num -
    {0x6B, 0x4E, 0},   // 90 Num +
    {0x101, 0x1C, 1},  // 91 Num Enter
    {0x61, 0x4F, 0},   // 92 Num 1
    {0x62, 0x50, 0},   // 93 Num 2
    {0x63, 0x51, 0},   // 94 Num 3
    {0x64, 0x4B, 0},   // 95 Num 4
    {0x65, 0x4C, 0},   // 96 Num 5
    {0x66, 0x4D, 0},   // 97 Num 6
    {0x67, 0x47, 0},   // 98 Num 7
    {0x68, 0x48, 0},   // 99 Num 8
    {0x69, 0x49, 0},   // 100 Num 9
    {0x60, 0x52, 0},   // 101 Num 0
    {0x6E, 0x53, 0},   // 102 Decimal
    {0x5D, 0x5D, 1},   // 103 App
    {0xE2, 0x56, 0},   // 104 K45
    {0xC1, 0x73, 0},   // 105 K56
    {0xFF, 0x7D, 0},   // 106 K14
    {0xC2, 0x7E, 0},   // 107 K107
    {0xEB, 0x7B, 0},   // 108 K131
    {0xFF, 0x79, 0},   // 109 K132
    {0xFF, 0x70, 0},   // 110 K133
    {0xE9, 0x71, 0},   // 111 K150
    {0xFF, 0x72, 0},   // 112 K151
}};

const std::array<const char*, kFunctionTypeCount> kFunctionTypeUserData = {
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11",
};

template <size_t N>
CodeTable Table(const std::array<KeyCodeRow, N>& rows, const std::array<const char*, N>& names) {
    return {rows, names};
}

}  // namespace

std::optional<size_t> CodeTable::Find(std::optional<uint8_t> category,
                                      std::optional<uint8_t> param1, std::optional<uint8_t> param2,
                                      size_t firstRow) const {
    for (size_t r = firstRow; r < rows.size(); ++r) {
        const KeyCodeRow& row = rows[r];
        if (category && row.category != *category)
            continue;
        if (param1 && row.param1 != *param1)
            continue;
        if (param2 && row.param2 != *param2)
            continue;
        return r;
    }
    return std::nullopt;
}

const CodeTable& MouseButtonTable() {
    static const CodeTable table = Table(kMouseButtonRows, kMouseButtonNames);
    return table;
}
const CodeTable& DpiTable() {
    static const CodeTable table = Table(kDpiRows, kDpiNames);
    return table;
}
const CodeTable& MediaTable() {
    static const CodeTable table = Table(kMediaRows, kMediaNames);
    return table;
}
const CodeTable& SystemTable() {
    static const CodeTable table = Table(kSystemRows, kSystemNames);
    return table;
}
const CodeTable& CombinationKeyTable() {
    static const CodeTable table = Table(kCombinationRows, kCombinationNames);
    return table;
}
const CodeTable& EditShortcutTable() {
    static const CodeTable table = Table(kEditShortcutRows, kEditShortcutNames);
    return table;
}
const CodeTable& SpecialLabelTable() {
    static const CodeTable table = Table(kSpecialRows, kSpecialNames);
    return table;
}
const CodeTable& KeyboardKeyTable() {
    static const CodeTable table = Table(kKeyboardRows, kKeyboardNames);
    return table;
}
std::span<const CaptureRow> CaptureTable() {
    return kCaptureRows;
}
std::span<const char* const> GunLabels() {
    return kGunLabels;
}

const char* FunctionTypeUserData(FunctionType type) {
    const int t = static_cast<int>(type);
    return t >= 0 && t < kFunctionTypeCount ? kFunctionTypeUserData[static_cast<size_t>(t)] : "";
}

FunctionType FunctionTypeFromUserData(const char* userData) {
    if (userData == nullptr)
        return FunctionType::None;
    for (size_t t = 0; t < kFunctionTypeUserData.size(); ++t)
        if (std::strcmp(kFunctionTypeUserData[t], userData) == 0)
            return static_cast<FunctionType>(t);
    return FunctionType::None;
}
