// Key functions: the code tables, the editor's reading and showing of an
// assignment, key capture, key labels, and the key table sent to the mouse.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <utility>

#include "devices/device_types.h"
#include "devices/key_assignment_editor.h"
#include "devices/key_codes.h"
#include "devices/key_table_image.h"
#include "devices/zentrel_mouse_device.h"
#include "link/device_commands.h"
#include "link/result_codes.h"
#include "sim/sim_device.h"

namespace {

KeyAssignment A(uint8_t category, uint8_t p1, uint8_t p2, uint16_t key = 0) {
    return {key, category, p1, p2, 0};
}

std::string Bytes(const KeyAssignment& a) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X", a.category, a.param1, a.param2);
    return text;
}

TEST(KeyCodes, CaptureRowsAreFoundByTheirOwnScanCode) {
    // The capture walk takes the first row with the scan code and extended flag:
    // two rows sharing both would make the later key impossible to assign.
    std::set<std::pair<int, int>> seen;
    for (const CaptureRow& row : CaptureTable())
        EXPECT_TRUE(seen.emplace(row.scanCode, row.extended).second)
            << std::hex << int{row.scanCode} << " ext " << int{row.extended};
    // Every non-modifier row of the keyboard table carries its own HID usage.
    std::set<int> usages;
    const CodeTable& keys = KeyboardKeyTable();
    ASSERT_EQ(keys.size(), kKeyboardRowCount);
    for (size_t r = kModifierRowCount; r < kCaptureRowCount; ++r) {
        EXPECT_EQ(keys.rows[r].category, 0x20) << r;
        EXPECT_EQ(keys.rows[r].param1, 0) << r;
        EXPECT_TRUE(usages.insert(keys.rows[r].param2).second) << keys.names[r];
        EXPECT_EQ(keys.rows[r].id, CaptureTable()[r].virtualKey) << keys.names[r];
    }
}

TEST(KeyCodes, FunctionTypesRoundTripThroughTheirUserData) {
    for (int t = 0; t < kFunctionTypeCount; ++t) {
        const auto type = static_cast<FunctionType>(t);
        EXPECT_EQ(FunctionTypeUserData(type), std::to_string(t));
        EXPECT_EQ(FunctionTypeFromUserData(FunctionTypeUserData(type)), type);
    }
    EXPECT_EQ(FunctionTypeFromUserData("12"), FunctionType::None);
    EXPECT_EQ(FunctionTypeFromUserData(""), FunctionType::None);
}

// An editor on the mouse page with one key open: its default is a DPI shift,
// which no editor page shows, so nothing below opens as type 0 by accident.
class Editor : public testing::Test {
  protected:
    Editor() : editor_([](const std::string& id) { return "T:" + id; }) {
        editor_.SetEditorMode(kTypeMouse);
        editor_.SetApplySink([this](const KeyEntry& e) { applied_.push_back(e); });
        editor_.SetMacroNames({"m0", "m1", "m2"});
        editor_.OpenKey({A(0x10, 0x01, 0x00, 7), A(0x16, 0x00, 0x00, 7)});
    }
    KeyEditorControls& C() { return editor_.Controls(); }
    KeyAssignment Read() { return editor_.ReadAssignment().current; }
    KeyAssignment LastApplied() {
        return applied_.empty() ? KeyAssignment{} : applied_.back().current;
    }

    KeyAssignmentEditor editor_;
    std::vector<KeyEntry> applied_;
};

TEST_F(Editor, TiltWheelAndFireFieldsPackAndShowBack) {
    struct Case {
        FunctionType type;
        int direction;
        std::string count, delay, speed;
        uint8_t p1, p2;
        std::string shownCount;
    } cases[] = {
        {FunctionType::Wheel, 1, "1", "0", "0", 0x00, 0xFF, "1"},  // one step down: -1
        {FunctionType::Wheel, 1, "5", "2", "15", 0x2F, 0xFB, "5"},
        {FunctionType::Wheel, 0, "5", "16", "3", 0x03, 0x05, "5"},   // delay 16: low nibble only
        {FunctionType::Wheel, 0, "130", "1", "1", 0x11, 0x02, "2"},  // count cut to 7 bits
        {FunctionType::Tilt, 1, "1", "0", "0", 0x00, 0x81, "1"},     // one step right
        {FunctionType::Tilt, 0, "127", "15", "17", 0xF1, 0x7F, "127"},
        {FunctionType::Tilt, 1, "x", "", "4", 0x04, 0x80, "0"},  // no number reads as 0
        {FunctionType::Fire, 0, "2", "300", "", 44, 2, "2"},     // interval 300 → 44
        {FunctionType::Fire, 0, "256", "120", "", 120, 0, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.type));
        SCOPED_TRACE(c.count + "/" + c.delay + "/" + c.speed);
        C().functionType = c.type;
        if (c.type == FunctionType::Wheel) {
            C().wheelDirection = c.direction;
            C().wheelCount = c.count, C().wheelDelay = c.delay, C().wheelSpeed = c.speed;
        } else if (c.type == FunctionType::Tilt) {
            C().tiltDirection = c.direction;
            C().tiltCount = c.count, C().tiltDelay = c.delay, C().tiltSpeed = c.speed;
        } else {
            C().fireCount = c.count, C().fireInterval = c.delay;
        }
        const KeyAssignment a = Read();
        const uint8_t category = c.type == FunctionType::Wheel  ? 0x12
                                 : c.type == FunctionType::Tilt ? 0x11
                                                                : 0x14;
        EXPECT_EQ(Bytes(a), Bytes(A(category, c.p1, c.p2)));
        EXPECT_EQ(a.keyIndex, 7);

        C() = KeyEditorControls{};
        editor_.ShowAssignment(a);
        EXPECT_EQ(C().functionType, c.type);
        EXPECT_TRUE(C().panelVisible);
        if (c.type == FunctionType::Wheel) {
            EXPECT_EQ(C().wheelCount, c.shownCount);
            EXPECT_EQ(C().wheelDirection, c.direction);
            EXPECT_EQ(C().wheelDelay, std::to_string(c.p1 >> 4));
        } else if (c.type == FunctionType::Tilt) {
            EXPECT_EQ(C().tiltCount, c.shownCount);
            EXPECT_EQ(C().tiltDirection, c.direction);
            EXPECT_EQ(C().tiltSpeed, std::to_string(c.p1 & 0x0F));
        } else {
            EXPECT_EQ(C().fireInterval, std::to_string(c.p1));
            EXPECT_EQ(C().fireCount, c.shownCount);
        }
    }
}

TEST_F(Editor, EveryListRowReadsAndShowsBackAsItself) {
    struct List {
        FunctionType type;
        const CodeTable& table;
        int KeyEditorControls::*selection;
    } lists[] = {
        {FunctionType::MouseButton, MouseButtonTable(), &KeyEditorControls::mouseButton},
        {FunctionType::Dpi, DpiTable(), &KeyEditorControls::dpi},
        {FunctionType::Media, MediaTable(), &KeyEditorControls::media},
        {FunctionType::System, SystemTable(), &KeyEditorControls::system},
        {FunctionType::Shortcut, CombinationKeyTable(), &KeyEditorControls::combination},
    };
    for (const List& list : lists) {
        for (size_t row = 0; row < list.table.size(); ++row) {
            SCOPED_TRACE(list.table.names[row]);
            C().functionType = list.type;
            C().*list.selection = static_cast<int>(row);
            const KeyAssignment a = Read();
            EXPECT_EQ(Bytes(a), Bytes(list.table.rows[row].Assignment(0)));
            C() = KeyEditorControls{};
            C().*list.selection = -1;
            editor_.ShowAssignment(a);
            EXPECT_EQ(C().functionType, list.type);
            EXPECT_EQ(C().tabPage, static_cast<int>(list.type));
            EXPECT_EQ(C().*list.selection, static_cast<int>(row));
        }
    }
    EXPECT_EQ(Bytes(MediaTable().rows[8].Assignment(0)),
              "30 23 02");  // usage 0x0223: low byte first
}

TEST_F(Editor, ListsWithoutASelection) {
    C().functionType = FunctionType::GunKey;
    C().gun = -1;
    EXPECT_EQ(Bytes(Read()), "72 FF 00");
    C().gun = 3;
    EXPECT_EQ(Bytes(Read()), "72 03 00");
    C().functionType = FunctionType::Media;
    C().media = -1;
    EXPECT_EQ(Bytes(Read()), "72 03 00");  // the record stays as it was
    C().functionType = FunctionType::Default;
    EXPECT_EQ(Bytes(Read()), "16 00 00");
    EXPECT_EQ(Read().keyIndex, 7);
}

TEST_F(Editor, AnAssignmentEqualToTheDefaultOpensOnTypeZero) {
    editor_.OpenKey({A(0x30, 0xE9, 0x00, 2), A(0x30, 0xE9, 0x00, 2)});
    EXPECT_EQ(C().functionType, FunctionType::Default);
    EXPECT_TRUE(C().panelVisible);
    editor_.OpenKey({A(0x13, 0x01, 0x00, 2), A(0x16, 0x00, 0x00, 2)});
    EXPECT_EQ(C().functionType, FunctionType::Dpi);
    editor_.OnDefaultClicked();
    EXPECT_EQ(C().functionType, FunctionType::Default);
    EXPECT_TRUE(C().buttonsEnabled);
    editor_.OnCancelClicked();
    EXPECT_EQ(C().functionType, FunctionType::Dpi);
    EXPECT_FALSE(C().buttonsEnabled);
    // A category without a page hides the panel.
    editor_.ShowAssignment(A(0xA0, 0x1B, 0x00));
    EXPECT_FALSE(C().panelVisible);
}

TEST_F(Editor, TheKeyboardPageHasNoDpiOrGunItems) {
    editor_.SetEditorMode(kTypeKeyboard);
    const std::vector<FunctionType> items = editor_.FunctionItems();
    EXPECT_EQ(items.size(), 10u);
    EXPECT_FALSE(editor_.HasFunctionItem(FunctionType::Dpi));
    EXPECT_FALSE(editor_.HasFunctionItem(FunctionType::GunKey));
    editor_.ShowAssignment(A(0x13, 0x01, 0x00));
    EXPECT_FALSE(C().panelVisible);
    editor_.ShowAssignment(A(0x40, 0x02, 0x00));
    EXPECT_TRUE(C().panelVisible);
    EXPECT_EQ(C().functionType, FunctionType::System);
    EXPECT_EQ(C().system, 1);
}

TEST_F(Editor, CapturedKeysAndModifiers) {
    editor_.OnFunctionSelected(FunctionType::KeyboardKey);
    ASSERT_EQ(applied_.size(), 1u);
    EXPECT_EQ(Bytes(LastApplied()), "20 00 00");  // cleared
    EXPECT_EQ(AssignmentLabel(LastApplied(), kTypeMouse, {})->Display(), "close_text");

    // Right Ctrl (E0 1D) selects the Ctrl option and gives the left-Ctrl bit.
    EXPECT_TRUE(editor_.OnKeyCaptured(0x1D, 1));
    EXPECT_EQ(C().modifierOption, 1);
    EXPECT_EQ(C().keyText, "");
    EXPECT_EQ(Bytes(LastApplied()), "20 01 00");
    EXPECT_EQ(LastApplied().keyIndex, 7);

    editor_.OnModifierSelected(2);                // Shift
    EXPECT_TRUE(editor_.OnKeyCaptured(0x1E, 0));  // A
    EXPECT_EQ(Bytes(LastApplied()), "20 02 04");
    EXPECT_EQ(C().keyText, "T:keyboard_key_A");
    EXPECT_EQ(C().modifierOption, 2);

    EXPECT_TRUE(editor_.OnKeyCaptured(0x1C, 1));  // keypad Enter
    EXPECT_EQ(Bytes(LastApplied()), "20 02 58");
    EXPECT_EQ(C().keyText, "T:keyboard_key_Num Enter");

    EXPECT_TRUE(editor_.OnKeyCaptured(0x5C, 1));  // right Win: the Win option
    EXPECT_EQ(C().modifierOption, 4);
    EXPECT_EQ(Bytes(LastApplied()), "20 08 00");

    // Choosing type 6 again clears both; a key with no option taken is alone.
    editor_.OnFunctionSelected(FunctionType::KeyboardKey);
    EXPECT_EQ(Bytes(LastApplied()), "20 00 00");
    EXPECT_TRUE(editor_.OnKeyCaptured(0x39, 0));  // Space
    EXPECT_EQ(C().modifierOption, 0);
    EXPECT_EQ(Bytes(LastApplied()), "20 00 2C");

    const size_t before = applied_.size();
    EXPECT_FALSE(editor_.OnKeyCaptured(0x1E, 1));  // no extended A
    EXPECT_FALSE(editor_.OnKeyCaptured(0x6F, 0));
    EXPECT_EQ(applied_.size(), before);
    EXPECT_TRUE(C().buttonsEnabled);
}

TEST_F(Editor, KeyboardAssignmentsShowTheirOptionAndKey) {
    struct Case {
        KeyAssignment a;
        FunctionType type;
        int option;
        std::string keyText;
        std::string label;
    } cases[] = {
        {A(0x20, 0x00, 0x04), FunctionType::KeyboardKey, 0, "T:keyboard_key_A", "keyboard_key_A"},
        {A(0x20, 0x04, 0x2B), FunctionType::KeyboardKey, 3, "T:keyboard_key_Tab",
         "keyboard_key_LAlt+keyboard_key_Tab"},
        // Two modifiers (from a default): no option, the key alone, labelled by the rows sharing a
        // byte.
        {A(0x20, 0x03, 0x04), FunctionType::KeyboardKey, 0, "T:keyboard_key_A", "keyboard_key_A"},
        {A(0x20, 0x10, 0x04), FunctionType::Shortcut, -1, "", "keyboard_key_RCtrl+keyboard_key_A"},
        {A(0x20, 0x00, 0x03), FunctionType::KeyboardKey, -1, "",
         ""},  // usage of no row (label not checked)
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Bytes(c.a));
        C() = KeyEditorControls{};
        editor_.SetCurrent(A(0x40, 0x01, 0x00, 7));
        editor_.ShowAssignment(c.a);
        EXPECT_EQ(C().functionType, c.type);
        if (c.type == FunctionType::KeyboardKey) {
            EXPECT_EQ(C().modifierOption, c.option);
            EXPECT_EQ(C().keyText, c.keyText);
        } else {
            EXPECT_EQ(C().combination, 8);  // select all
        }
        if (c.label.empty())
            continue;
        const auto label = AssignmentLabel(c.a, kTypeKeyboard, {});
        ASSERT_TRUE(label.has_value());
        EXPECT_EQ(label->Display(), c.label);
    }
    // A usage of no row empties the key and zeroes the open key's parameters.
    EXPECT_EQ(Bytes(editor_.Current()), "40 00 00");
    EXPECT_EQ(editor_.Current().keyIndex, 7);
}

TEST_F(Editor, MacroAssignments) {
    editor_.ShowAssignment(A(0x70, 0x02, 0x01));
    EXPECT_EQ(C().functionType, FunctionType::Macro);
    EXPECT_EQ(C().macro, 2);
    EXPECT_EQ(C().macroMode, 1);
    EXPECT_FALSE(C().repeatPanelVisible);

    editor_.ShowAssignment(A(0x71, 0x01, 0x09));
    EXPECT_EQ(C().macro, 1);
    EXPECT_EQ(C().macroMode, kMacroModeRepeat);
    EXPECT_TRUE(C().repeatPanelVisible);
    EXPECT_EQ(C().repeatCount, "9");

    // An index at or beyond the end of the list opens with nothing selected.
    editor_.ShowAssignment(A(0x70, 0x03, 0x00));
    EXPECT_EQ(C().macro, -1);
    EXPECT_EQ(C().macroMode, -1);
    editor_.SetCurrent(A(0x10, 0x02, 0x00, 7));
    EXPECT_EQ(Bytes(Read()), "10 02 00");  // no macro selected: unchanged

    C().macro = 0;
    C().repeatCount = "300";
    editor_.OnMacroModeSelected(kMacroModeRepeat);
    EXPECT_TRUE(C().repeatPanelVisible);
    EXPECT_EQ(Bytes(LastApplied()), "71 00 2C");
    editor_.OnMacroModeSelected(3);
    EXPECT_FALSE(C().repeatPanelVisible);
    EXPECT_EQ(Bytes(LastApplied()), "70 00 03");

    // The list follows the library: removing an earlier macro moves the selection.
    C().macro = 2;
    editor_.RemoveMacroName(0);
    EXPECT_EQ(C().macro, 1);
    editor_.RemoveMacroName(-1);
    editor_.RenameMacroName(0, "");
    EXPECT_EQ(editor_.MacroNames(), (std::vector<std::string>{"m1", "m2"}));
}

TEST(KeyLabels, EveryCategoryOnBothPages) {
    const std::vector<std::string> macros = {"first", "second"};
    struct Case {
        KeyAssignment a;
        int kind;
        const char* label;  // nullptr: no row in the key list
    } cases[] = {
        {A(0x00, 0x00, 0x00), kTypeMouse, "close_text"},
        {A(0x00, 0x00, 0x04), kTypeMouse, "keyboard_key_A"},  // the row's category is not compared
        {A(0x00, 0x07, 0x00), kTypeMouse, nullptr},
        {A(0x20, 0x01, 0x00), kTypeKeyboard, "keyboard_key_LCtrl"},
        {A(0x10, 0x04, 0x00), kTypeMouse, "mouse_key_middle"},
        {A(0x10, 0x20, 0x00), kTypeMouse, nullptr},
        {A(0x11, 0x23, 0x85), kTypeMouse, "mouse_key_right_Swing"},
        {A(0x11, 0x23, 0x05), kTypeMouse, "mouse_key_left_Swing"},
        {A(0x12, 0x00, 0xFF), kTypeMouse, "mouse_key_down_Swing"},
        {A(0x12, 0x00, 0x01), kTypeMouse, "mouse_key_up_Swing"},
        {A(0x13, 0x03, 0x00), kTypeMouse, "mouse_key_DPI_loop"},
        {A(0x13, 0x09, 0x00), kTypeMouse, nullptr},
        {A(0x14, 0x78, 0x02), kTypeMouse, "mouse_key_fire_key"},
        {A(0x16, 0x90, 0x01), kTypeMouse, "mouse_key_DPI_shift"},
        {A(0x22, 0x00, 0x04), kTypeKeyboard, "custem_select_all"},
        {A(0x23, 0x00, 0x00), kTypeKeyboard, "show_window"},
        {A(0x23, 0x01, 0x00), kTypeKeyboard, nullptr},
        {A(0x30, 0xE9, 0x00), kTypeMouse, "media_vol_add"},
        {A(0x40, 0x04, 0x00), kTypeMouse, "system_power"},
        {A(0x70, 0x01, 0x00), kTypeMouse, "second"},
        {A(0x71, 0x02, 0x05), kTypeMouse, nullptr},
        {A(0x72, 0x02, 0x00), kTypeMouse, "gun_3_txt"},
        {A(0x72, 0x04, 0x00), kTypeMouse, nullptr},
        {A(0x72, 0x02, 0x00), kTypeKeyboard, "关闭"},
        {A(0xA0, 0x02, 0x00), kTypeKeyboard, "mouse_key_smart_key"},
        {A(0xA0, 0x1B, 0x00), kTypeMouse, "keyboard_key_GM"},
        {A(0xA0, 0x05, 0x00), kTypeMouse, nullptr},
        {A(0xD0, 0xA2, 0x03), kTypeKeyboard, "keyboard_key_M3"},
        {A(0xD0, 0xA2, 0x03), kTypeMouse, "关闭"},
        {A(0x15, 0x00, 0x00), kTypeMouse, nullptr},
        {A(0xB0, 0x00, 0x00), kTypeKeyboard, nullptr},
        {A(0x99, 0x00, 0x00), kTypeMouse, "关闭"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Bytes(c.a) + (c.kind == kTypeMouse ? " mouse" : " keyboard"));
        const auto label = AssignmentLabel(c.a, c.kind, macros);
        if (c.label == nullptr) {
            EXPECT_FALSE(label.has_value()) << label->Display();
        } else {
            ASSERT_TRUE(label.has_value());
            EXPECT_EQ(label->Display(), c.label);
        }
    }
    // Language ids go through the language table; literal texts do not.
    const LanguageText upper = [](const std::string& id) { return "<" + id + ">"; };
    EXPECT_EQ(AssignmentLabel(A(0x20, 0x02, 0x04), kTypeKeyboard, {})->Display(upper),
              "<keyboard_key_LShift>+<keyboard_key_A>");
    EXPECT_EQ(AssignmentLabel(A(0x70, 0x00, 0x00), kTypeMouse, macros)->Display(upper), "first");
}

// Key i of a list sits at map[i]; 0xAA marks a mouse button without a slot.
std::vector<KeyEntry> Keys(std::initializer_list<std::pair<KeyAssignment, KeyAssignment>> list) {
    std::vector<KeyEntry> keys;
    for (auto [current, def] : list) {
        current.keyIndex = def.keyIndex = static_cast<uint16_t>(keys.size());
        keys.push_back({current, def});
    }
    return keys;
}

TEST(KeyTableImage, MacroSlotsStaleMacrosAndUnmappedPositions) {
    const KeyAssignment left = A(0x10, 0x01, 0x00);
    const std::vector<KeyEntry> keys = Keys({
        {A(0x70, 5, 2), left},              // macro 5 → slot 0
        {A(0x70, 1, 0), left},              // no position: takes no slot
        {A(0x71, 2, 9), left},              // macro 2 → slot 1
        {A(0x70, 5, 3), left},              // macro 5 again → slot 0
        {A(0x71, 6, 1), A(0x13, 0x02, 0)},  // stale: the default is sent
        {A(0x30, 0xE9, 0x00), left},
    });
    const std::vector<uint8_t> map = {3, kMouseNoPosition, 0, 1, 4, 2};
    const KeyPositions positions{map, kMouseNoPosition, 6};
    std::vector<uint8_t> last(6 * 3);
    for (size_t i = 0; i < last.size(); ++i)
        last[i] = static_cast<uint8_t>(0xE0 + i);

    EXPECT_EQ(MacroSlotOrder(keys, positions, 6), (std::vector<int>{5, 2}));
    const std::vector<uint8_t> image = BuildKeyTableImage(keys, positions, 6, last);
    EXPECT_EQ(image, (std::vector<uint8_t>{
                         0x71, 1, 9,        // position 0: key 2
                         0x70, 0, 3,        // position 1: key 3
                         0x30, 0xE9, 0x00,  // position 2: key 5
                         0x70, 0, 2,        // position 3: key 0
                         0x13, 0x02, 0x00,  // position 4: key 4, its default
                         0xEF, 0xF0, 0xF1,  // position 5: no key, the last known bytes
                     }));

    // With one macro fewer, macro 5 is stale and macro 2 takes slot 0; the
    // slot list the macro block is sent in follows.
    EXPECT_EQ(MacroSlotOrder(keys, positions, 5), (std::vector<int>{2}));
    const std::vector<uint8_t> fewer = BuildKeyTableImage(keys, positions, 5, last);
    EXPECT_EQ(
        std::vector<uint8_t>(fewer.begin(), fewer.begin() + 12),
        (std::vector<uint8_t>{0x71, 0, 9, 0x10, 0x01, 0x00, 0x30, 0xE9, 0x00, 0x10, 0x01, 0x00}));
}

TEST(KeyTableImage, KeyboardMarksAndPositionsBeyondTheDevice) {
    const std::vector<KeyEntry> keys = Keys({
        {A(0x70, 0, 0), A(0x20, 0, 4)},
        {A(0x70, 1, 0), A(0x20, 0, 5)},  // 0xFF: no position
        {A(0x70, 2, 0), A(0x20, 0, 6)},  // position 9 is beyond the 3 the device reports
        {A(0x70, 3, 0), A(0x20, 0, 7)},  // 0xAA is a position on a keyboard
    });
    const std::vector<uint8_t> map = {2, kKeyboardNoPosition, 9, kMouseNoPosition};
    const KeyPositions positions{map, kKeyboardNoPosition, 3};
    EXPECT_EQ(MacroSlotOrder(keys, positions, 4), (std::vector<int>{0}));
    const std::vector<uint8_t> image = BuildKeyTableImage(keys, positions, 4, {});
    EXPECT_EQ(image,
              (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0x70, 0, 0}));  // short last table: zeros

    const KeyPositions wide{map, kKeyboardNoPosition, 0xAB};
    EXPECT_EQ(MacroSlotOrder(keys, wide, 4), (std::vector<int>{0, 2, 3}));
    const std::vector<uint8_t> all = BuildKeyTableImage(keys, wide, 4, {});
    EXPECT_EQ(all[0xAA * 3 + 1], 2);
}

// The mouse sends its table to a simulated mouse whose buttons sit one slot on
// and whose DPI-shift button has no slot.
class MouseKeyTable : public testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        char folder[] = "/tmp/r730-keys-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        folder_ = folder;
        setenv("XDG_DATA_HOME", folder, 1);
        SimOptions options;
        options.keySlots = 14;
        sim_ = std::make_unique<SimulatedDevice>(SimKind::Mouse, options);
        SimMemory m = sim_->Firmware().Memory();
        const std::vector<uint8_t> factory(m.keyTable.begin(), m.keyTable.begin() + 33);
        std::copy(factory.begin(), factory.end(), m.keyTable.begin() + 3);
        const uint8_t others[] = {0x30, 0xCD, 0x00};
        std::copy(others, others + 3, m.keyTable.begin());  // slot 0: no button's function
        m.keyTable[10 * 3] = 0x40;                          // slot 10: DPI shift replaced
        std::fill(m.keyTable.begin() + 36, m.keyTable.begin() + 42, 0x5A);  // slots 12, 13
        sim_->Firmware().SetMemory(m);
        last_ = m.keyTable;

        mouse_ = std::make_unique<CZentrelMouseDevice>();
        mouse_->SetFolderName("mouse");
        mouse_->SetLibraryName("ozmar_light");
        mouse_->SetKeyCount(11);
        mouse_->SetWireless(true);
        DeviceLink& link = mouse_->CommandLink();
        LinkTimeouts t;
        t.wiredMs = t.receiverMs = 300;
        t.pauseBeforeReadMs = 1;
        link.SetTimeouts(t);
        if (GetParam() == kConnectionReceiver) {
            receiver_ = std::make_unique<SimulatedReceiver>(*sim_);
            ASSERT_TRUE(receiver_->Plug());
            ASSERT_TRUE(link.ReceiverInterface().Open(receiver_->Connection().CommandPath(), true,
                                                      true, true, false));
        } else {
            ASSERT_TRUE(sim_->PlugCable());
            ASSERT_TRUE(
                link.WiredInterface().Open(sim_->Cable().CommandPath(), true, true, true, false));
        }
        link.SetOpened(true);
        link.SetConnection(GetParam());
        mouse_->SetThroughReceiver(GetParam() == kConnectionReceiver);
    }
    void TearDown() override {
        mouse_.reset();
        receiver_.reset();
        sim_.reset();
        unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(folder_);
    }
    std::vector<uint8_t> Slot(size_t slot) {
        const std::vector<uint8_t> table = sim_->Firmware().Memory().keyTable;
        return {table.begin() + static_cast<long>(slot * 3),
                table.begin() + static_cast<long>(slot * 3 + 3)};
    }
    std::vector<uint8_t> LastSlot(size_t slot) {
        return {last_.begin() + static_cast<long>(slot * 3),
                last_.begin() + static_cast<long>(slot * 3 + 3)};
    }

    std::string folder_;
    std::vector<uint8_t> last_;
    std::unique_ptr<SimulatedDevice> sim_;
    std::unique_ptr<SimulatedReceiver> receiver_;
    std::unique_ptr<CZentrelMouseDevice> mouse_;
};

TEST_P(MouseKeyTable, KeysAreWrittenAtTheirButtonsSlots) {
    EXPECT_EQ(mouse_->SendKeyAssignments(), kResultNoReply);  // no table read yet
    ASSERT_EQ(mouse_->ReadMouse(), kResultOk);
    mouse_->StopLightingThread();
    ASSERT_EQ(mouse_->ButtonMap()[0], 1);
    ASSERT_EQ(mouse_->ButtonMap()[9], kNoSlot);
    {
        std::ofstream config(mouse_->ProfileFolder() + "macro.config");
        config
            << R"({"MacroInfo": [{"MacroName": "a", "Guid": "1"}, {"MacroName": "b", "Guid": "2"},
                     {"MacroName": "c", "Guid": "3"}, {"MacroName": "d", "Guid": "4"},
                     {"MacroName": "e", "Guid": "5"}, {"MacroName": "f", "Guid": "6"}]})";
    }
    std::vector<KeyEntry> keys = mouse_->Keys();
    ASSERT_EQ(keys.size(), 11u);
    keys[1].current = KeyAssignment::FromPacked(1, 0x121000 | 0xFF);  // wheel one step down
    keys[3].current = KeyAssignment::FromPacked(3, 0x700502);         // macro 5
    keys[4].current = KeyAssignment::FromPacked(4, 0x710203);         // macro 2, three times
    keys[6].current = KeyAssignment::FromPacked(6, 0x700501);         // macro 5 again
    keys[7].current = KeyAssignment::FromPacked(7, 0x710900);         // no macro 9: the default
    keys[9].current = KeyAssignment::FromPacked(9, 0x700100);         // no slot on this mouse
    mouse_->Profile().SetKeyList(keys);
    ASSERT_EQ(mouse_->Profile().Save(), 0);
    mouse_->LoadSelectedProfile();

    EXPECT_EQ(mouse_->ListUsedMacros(), (std::vector<int>{5, 2}));
    ASSERT_EQ(mouse_->SendKeyAssignments(), kResultOk);
    EXPECT_EQ(Slot(1), (std::vector<uint8_t>{0x10, 0x01, 0x00}));  // button 0 unchanged
    EXPECT_EQ(Slot(2), (std::vector<uint8_t>{0x12, 0x10, 0xFF}));
    EXPECT_EQ(Slot(4), (std::vector<uint8_t>{0x70, 0x00, 0x02}));
    EXPECT_EQ(Slot(5), (std::vector<uint8_t>{0x71, 0x01, 0x03}));
    EXPECT_EQ(Slot(7), (std::vector<uint8_t>{0x70, 0x00, 0x01}));
    EXPECT_EQ(Slot(8), (std::vector<uint8_t>{0x13, 0x03, 0x00}));
    for (size_t slot : std::initializer_list<size_t>{0, 10, 12, 13})
        EXPECT_EQ(Slot(slot), LastSlot(slot)) << slot;
    EXPECT_FALSE(sim_->Firmware().TransferOpen());

    // The table sent becomes the last known one: slots of keys left out of a
    // later table keep what was sent before, not what was first read.
    const std::vector<KeyEntry> firstFour(mouse_->Keys().begin(), mouse_->Keys().begin() + 4);
    ASSERT_EQ(mouse_->SendKeyTable(firstFour), kResultOk);
    EXPECT_EQ(Slot(4), (std::vector<uint8_t>{0x70, 0x00, 0x02}));
    EXPECT_EQ(Slot(5), (std::vector<uint8_t>{0x71, 0x01, 0x03}));
    EXPECT_EQ(Slot(8), (std::vector<uint8_t>{0x13, 0x03, 0x00}));
}

INSTANTIATE_TEST_SUITE_P(Connections, MouseKeyTable,
                         testing::Values(kConnectionCable, kConnectionReceiver), [](const auto& p) {
                             return p.param == kConnectionReceiver ? "Receiver" : "Cable";
                         });

}  // namespace
