#include "devices/key_assignment_editor.h"

#include <cctype>
#include <climits>

#include "devices/device_types.h"

namespace {

constexpr uint8_t Code(AssignmentCategory c) {
    return CategoryCode(c);
}
constexpr uint8_t Low8(int value) {
    return static_cast<uint8_t>(value & 0xFF);
}

// The selected row of a list, when the list has one.
std::optional<size_t> SelectedRow(const CodeTable& table, int index) {
    if (index < 0 || static_cast<size_t>(index) >= table.size())
        return std::nullopt;
    return static_cast<size_t>(index);
}

// Selects the row of `table` with equal param1 and param2; no row: unchanged.
void SelectRow(const CodeTable& table, const KeyAssignment& a, int& selection) {
    if (const auto row = table.Find(std::nullopt, a.param1, a.param2))
        selection = static_cast<int>(*row);
}

void CopyRow(const CodeTable& table, int index, KeyAssignment& record) {
    const auto row = SelectedRow(table, index);
    if (!row)
        return;  // no selection: the record stays
    record.category = table.rows[*row].category;
    record.param1 = table.rows[*row].param1;
    record.param2 = table.rows[*row].param2;
}

uint8_t DelayAndSpeed(const std::string& delay, const std::string& speed) {
    return static_cast<uint8_t>((ReadNumberField(delay) & 0x0F) << 4 |
                                (ReadNumberField(speed) & 0x0F));
}

}  // namespace

int ReadNumberField(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX)
            value = INT_MAX;
    }
    return static_cast<int>(negative ? -value : value);
}

KeyAssignmentEditor::KeyAssignmentEditor(LanguageText text) : text_(std::move(text)) {}

std::string KeyAssignmentEditor::Text(const char* languageId) const {
    return text_ ? text_(languageId) : std::string(languageId);
}

std::vector<FunctionType> KeyAssignmentEditor::FunctionItems() const {
    std::vector<FunctionType> items;
    for (int t = 0; t < kFunctionTypeCount; ++t)
        if (HasFunctionItem(static_cast<FunctionType>(t)))
            items.push_back(static_cast<FunctionType>(t));
    return items;
}

bool KeyAssignmentEditor::HasFunctionItem(FunctionType type) const {
    const int t = static_cast<int>(type);
    if (t < 0 || t >= kFunctionTypeCount)
        return false;
    if (deviceKind_ == kTypeKeyboard && (type == FunctionType::Dpi || type == FunctionType::GunKey))
        return false;
    return true;
}

void KeyAssignmentEditor::SetMacroNames(std::vector<std::string> names) {
    macroNames_ = std::move(names);
    controls_.macro = -1;
}

void KeyAssignmentEditor::RemoveMacroName(int index) {
    if (index < 0 || static_cast<size_t>(index) >= macroNames_.size())
        return;
    macroNames_.erase(macroNames_.begin() + index);
    if (controls_.macro == index)
        controls_.macro = -1;
    else if (controls_.macro > index)
        --controls_.macro;
}

void KeyAssignmentEditor::RenameMacroName(int index, const std::string& name) {
    if (index < 0 || static_cast<size_t>(index) >= macroNames_.size() || name.empty())
        return;
    macroNames_[static_cast<size_t>(index)] = name;
}

void KeyAssignmentEditor::OpenKey(const KeyEntry& entry) {
    current_ = entry.current;
    default_ = entry.defaultAssignment;
    ShowAssignment(current_);
}

void KeyAssignmentEditor::ShowKeyboardKey(const KeyAssignment& a, FunctionType& type) {
    const CodeTable& keys = KeyboardKeyTable();
    const uint8_t key = Code(AssignmentCategory::KeyboardKey);
    type = FunctionType::KeyboardKey;
    if (a.param1 == 0) {
        if (const auto row = keys.Find(key, 0, a.param2)) {
            controls_.modifierOption = 0;
            controls_.keyText = Text(keys.names[*row]);
        } else {
            controls_.modifierOption = -1;
            controls_.keyText.clear();
            current_.param1 = current_.param2 = 0;
        }
    } else if (a.param1 <= 8) {
        // One left-side modifier is an option of its own; any other mix shows as none.
        controls_.modifierOption = 0;
        for (size_t r = 0; r < 4; ++r) {
            const KeyCodeRow& row = keys.rows[r];
            if (row.category == key && row.param1 == a.param1 && row.param2 == 0)
                controls_.modifierOption = static_cast<int>(r) + 1;
        }
        if (const auto row = keys.Find(key, 0, a.param2, kModifierRowCount))
            controls_.keyText = Text(keys.names[*row]);
    } else {
        SelectRow(CombinationKeyTable(), a, controls_.combination);
        type = FunctionType::Shortcut;
    }
}

void KeyAssignmentEditor::ShowAssignment(const KeyAssignment& assignment) {
    KeyEditorControls& c = controls_;
    const KeyAssignment& a = assignment;
    const uint8_t category = a.SameFunction(default_) ? 0 : a.category;
    FunctionType type = FunctionType::None;
    switch (static_cast<AssignmentCategory>(category)) {
        case AssignmentCategory::Disabled:
            type = FunctionType::Default;
            break;
        case AssignmentCategory::MouseButton:
            type = FunctionType::MouseButton;
            SelectRow(MouseButtonTable(), a, c.mouseButton);
            break;
        case AssignmentCategory::Tilt:
            type = FunctionType::Tilt;
            c.tiltDelay = std::to_string(a.param1 >> 4);
            c.tiltSpeed = std::to_string(a.param1 & 0x0F);
            c.tiltCount = std::to_string(a.param2 & 0x7F);
            c.tiltDirection = (a.param2 & 0x80) ? 1 : 0;
            break;
        case AssignmentCategory::Wheel:
            type = FunctionType::Wheel;
            c.wheelDelay = std::to_string(a.param1 >> 4);
            c.wheelSpeed = std::to_string(a.param1 & 0x0F);
            if (a.param2 & 0x80) {
                c.wheelCount = std::to_string(128 - (a.param2 & 0x7F));
                c.wheelDirection = 1;
            } else {
                c.wheelCount = std::to_string(a.param2);
                c.wheelDirection = 0;
            }
            break;
        case AssignmentCategory::DpiStep:
            type = FunctionType::Dpi;
            SelectRow(DpiTable(), a, c.dpi);
            break;
        case AssignmentCategory::Fire:
            type = FunctionType::Fire;
            c.fireInterval = std::to_string(a.param1);
            c.fireCount = std::to_string(a.param2);
            break;
        case AssignmentCategory::KeyboardKey:
            ShowKeyboardKey(a, type);
            break;
        case AssignmentCategory::Consumer:
            type = FunctionType::Media;
            SelectRow(MediaTable(), a, c.media);
            break;
        case AssignmentCategory::SystemControl:
            type = FunctionType::System;
            SelectRow(SystemTable(), a, c.system);
            break;
        case AssignmentCategory::Macro:
            type = FunctionType::Macro;
            if (a.param1 >= macroNames_.size()) {
                c.macro = c.macroMode = -1;
            } else {
                c.macro = a.param1;
                c.macroMode = a.param2 <= kMacroModeRepeat ? a.param2 : -1;
            }
            c.repeatPanelVisible = false;
            break;
        case AssignmentCategory::MacroCount:
            type = FunctionType::Macro;
            if (a.param1 >= macroNames_.size()) {
                c.macro = c.macroMode = -1;
                c.repeatPanelVisible = false;
            } else {
                c.macro = a.param1;
                c.repeatPanelVisible = true;
            }
            c.repeatCount = std::to_string(a.param2);
            c.macroMode = kMacroModeRepeat;
            break;
        case AssignmentCategory::GunKey:
            type = FunctionType::GunKey;
            c.gun = a.param1 < kGunCount ? a.param1 : -1;
            break;
        case AssignmentCategory::ReservedB0:
            type = FunctionType::Shortcut;
            c.combination = -1;
            break;
        default:
            break;
    }
    if (!HasFunctionItem(type)) {
        c.panelVisible = false;
        return;
    }
    c.panelVisible = true;
    c.functionType = type;
    c.tabPage = static_cast<int>(type);
}

KeyEntry KeyAssignmentEditor::ReadAssignment() {
    const KeyEditorControls& c = controls_;
    KeyAssignment record = current_;
    switch (c.functionType) {
        case FunctionType::MouseButton:
            CopyRow(MouseButtonTable(), c.mouseButton, record);
            break;
        case FunctionType::Dpi:
            CopyRow(DpiTable(), c.dpi, record);
            break;
        case FunctionType::Media:
            CopyRow(MediaTable(), c.media, record);
            break;
        case FunctionType::System:
            CopyRow(SystemTable(), c.system, record);
            break;
        case FunctionType::Shortcut:
            CopyRow(CombinationKeyTable(), c.combination, record);
            break;
        case FunctionType::Tilt: {
            record.category = Code(AssignmentCategory::Tilt);
            record.param1 = DelayAndSpeed(c.tiltDelay, c.tiltSpeed);
            const int count = ReadNumberField(c.tiltCount);
            if (c.tiltDirection == 1)
                record.param2 = Low8(count | 0x80);
            else if (c.tiltDirection == 0)
                record.param2 = Low8(count & 0x7F);
            break;
        }
        case FunctionType::Wheel: {
            record.category = Code(AssignmentCategory::Wheel);
            record.param1 = DelayAndSpeed(c.wheelDelay, c.wheelSpeed);
            const int count = ReadNumberField(c.wheelCount);
            if (c.wheelDirection == 1)
                record.param2 = Low8((128 - count) | 0x80);  // two's complement of -count
            else if (c.wheelDirection == 0)
                record.param2 = Low8(count & 0x7F);
            break;
        }
        case FunctionType::Fire:
            record.category = Code(AssignmentCategory::Fire);
            record.param1 = Low8(ReadNumberField(c.fireInterval));
            record.param2 = Low8(ReadNumberField(c.fireCount));
            break;
        case FunctionType::KeyboardKey:
            record.category = Code(AssignmentCategory::KeyboardKey);
            record.param1 = c.modifierOption >= 1 && c.modifierOption <= 4
                                ? static_cast<uint8_t>(1 << (c.modifierOption - 1))
                                : uint8_t{0};
            record.param2 = c.keyText.empty() ? 0 : current_.param2;
            break;
        case FunctionType::Macro:
            if (c.macro < 0 || macroNames_.empty() ||
                static_cast<size_t>(c.macro) >= macroNames_.size())
                break;
            record.param1 = Low8(c.macro);
            if (c.macroMode == kMacroModeRepeat) {
                record.category = Code(AssignmentCategory::MacroCount);
                record.param2 = Low8(ReadNumberField(c.repeatCount));
            } else {
                record.category = Code(AssignmentCategory::Macro);
                record.param2 = Low8(c.macroMode);
            }
            break;
        case FunctionType::GunKey:
            record.category = Code(AssignmentCategory::GunKey);
            record.param1 = Low8(c.gun);
            record.param2 = 0;
            break;
        default:  // the key's default function
            record = default_;
            break;
    }
    current_ = record;
    return {current_, default_};
}

void KeyAssignmentEditor::OnFunctionSelected(FunctionType type) {
    controls_.functionType = type;
    controls_.tabPage = static_cast<int>(type);
    if (type == FunctionType::KeyboardKey) {
        controls_.keyText.clear();
        controls_.modifierOption = -1;
    }
    ApplyKeyEdit();
}

void KeyAssignmentEditor::OnModifierSelected(int option) {
    controls_.modifierOption = option >= 0 && option <= 4 ? option : -1;
    ApplyKeyEdit();
}

void KeyAssignmentEditor::OnMacroModeSelected(int index) {
    controls_.macroMode = index;
    controls_.repeatPanelVisible = index == kMacroModeRepeat;
    ApplyKeyEdit();
}

void KeyAssignmentEditor::ApplyKeyEdit() {
    const KeyEntry entry = ReadAssignment();
    if (apply_)
        apply_(entry);
    controls_.buttonsEnabled = true;
}

void KeyAssignmentEditor::OnDefaultClicked() {
    ShowDefault();
    controls_.buttonsEnabled = true;
}

void KeyAssignmentEditor::OnCancelClicked() {
    ShowCurrent();
    controls_.buttonsEnabled = false;
}

bool KeyAssignmentEditor::OnKeyCaptured(uint8_t scanCode, uint32_t flags) {
    const std::span<const CaptureRow> capture = CaptureTable();
    const uint8_t extended = flags & 1;
    size_t r = 0;
    while (r < capture.size() &&
           !(capture[r].scanCode == scanCode && capture[r].extended == extended))
        ++r;
    if (r == capture.size())
        return false;
    const CodeTable& keys = KeyboardKeyTable();
    const KeyCodeRow& row = keys.rows[r];
    if (row.category != Code(AssignmentCategory::KeyboardKey))
        return false;

    if (r < kModifierRowCount) {
        // Left and right modifiers give the same option: only left-side bits are made.
        const int n = static_cast<int>(r) + 1;
        controls_.modifierOption = n % 5 + n / 5;
        controls_.keyText.clear();
        current_ = {current_.keyIndex, row.category, row.param1, 0, 0};
    } else {
        uint8_t modifiers = 0;
        if (controls_.modifierOption < 0)
            controls_.modifierOption = 0;
        else
            modifiers = ReadAssignment().current.param1;
        controls_.keyText = Text(keys.names[r]);
        current_ = {current_.keyIndex, row.category, modifiers, row.param2, 0};
    }
    ApplyKeyEdit();
    return true;
}

void KeyAssignmentEditor::Reset() {
    KeyEditorControls& c = controls_;
    c.mouseButton = c.tiltDirection = c.wheelDirection = c.dpi = 0;
    c.media = c.system = c.gun = c.combination = 0;
    if (deviceKind_ == kTypeMouse) {
        c.fireInterval = "50";
        c.fireCount = "2";
    }
    c.panelVisible = false;
}

// ---- labels ----

std::string AssignmentText::Display(const LanguageText& text) const {
    if (languageIds.empty())
        return literal;
    std::string out;
    for (const std::string& id : languageIds) {
        if (!out.empty())
            out += "+";
        out += text ? text(id) : id;
    }
    return out;
}

namespace {

std::optional<AssignmentText> Id(const char* languageId) {
    return AssignmentText{{languageId}, {}};
}

std::optional<AssignmentText> RowLabel(const CodeTable& table, std::optional<size_t> row) {
    if (!row)
        return std::nullopt;
    return Id(table.names[*row]);
}

std::optional<AssignmentText> Literal(std::string text) {
    return AssignmentText{{}, std::move(text)};
}

// Keys and modifiers: the row with both parameters, else every row of the
// category that shares one of them.
std::optional<AssignmentText> KeyboardLabel(const KeyAssignment& a) {
    const CodeTable& keys = KeyboardKeyTable();
    if (const auto row = keys.Find(std::nullopt, a.param1, a.param2))
        return Id(keys.names[*row]);
    if (a.param1 == 0 && a.param2 == 0)
        return Id("close_text");
    AssignmentText joined;
    for (size_t r = 0; r < keys.size(); ++r) {
        const KeyCodeRow& row = keys.rows[r];
        if (row.category == a.category && (row.param1 == a.param1 || row.param2 == a.param2))
            joined.languageIds.emplace_back(keys.names[r]);
    }
    if (joined.languageIds.empty())
        return std::nullopt;
    return joined;
}

std::optional<AssignmentText> SpecialLabel(const KeyAssignment& a) {
    if (const auto row = SpecialLabelTable().Find(a.category, a.param1))
        return Id(SpecialLabelTable().names[*row]);
    return RowLabel(KeyboardKeyTable(), KeyboardKeyTable().Find(a.category, a.param1, a.param2));
}

}  // namespace

std::optional<AssignmentText> AssignmentLabel(const KeyAssignment& a, int deviceKind,
                                              std::span<const std::string> macroNames) {
    const bool keyboard = deviceKind == kTypeKeyboard;
    switch (static_cast<AssignmentCategory>(a.category)) {
        case AssignmentCategory::Disabled:
        case AssignmentCategory::KeyboardKey:
            return KeyboardLabel(a);
        case AssignmentCategory::MouseButton:
            return RowLabel(MouseButtonTable(), MouseButtonTable().Find(std::nullopt, a.param1));
        case AssignmentCategory::Tilt:
            return Id(a.param2 & 0x80 ? "mouse_key_right_Swing" : "mouse_key_left_Swing");
        case AssignmentCategory::Wheel:
            return Id(a.param2 & 0x80 ? "mouse_key_down_Swing" : "mouse_key_up_Swing");
        case AssignmentCategory::DpiStep:
            return RowLabel(DpiTable(), DpiTable().Find(std::nullopt, a.param1));
        case AssignmentCategory::Fire:
            return Id("mouse_key_fire_key");
        case AssignmentCategory::DpiShift:
            return Id("mouse_key_DPI_shift");
        case AssignmentCategory::EditShortcut:
            return RowLabel(EditShortcutTable(),
                            EditShortcutTable().Find(std::nullopt, a.param1, a.param2));
        case AssignmentCategory::ShowWindow:
            if (a.param1 == 0 && a.param2 == 0)
                return Id("show_window");
            return std::nullopt;
        case AssignmentCategory::Consumer:
            return RowLabel(MediaTable(), MediaTable().Find(std::nullopt, a.param1, a.param2));
        case AssignmentCategory::SystemControl:
            return RowLabel(SystemTable(), SystemTable().Find(std::nullopt, a.param1, a.param2));
        case AssignmentCategory::Macro:
        case AssignmentCategory::MacroCount:
            if (a.param1 < macroNames.size())
                return Literal(macroNames[a.param1]);
            return std::nullopt;
        case AssignmentCategory::GunKey:
            if (keyboard)
                break;
            if (a.param1 < kGunCount)
                return Id(GunLabels()[a.param1]);
            return std::nullopt;
        case AssignmentCategory::Special:
            return SpecialLabel(a);
        case AssignmentCategory::MemoryKey:
            if (keyboard)
                return SpecialLabel(a);
            break;
        case AssignmentCategory::Reserved15:
        case AssignmentCategory::Reserved21:
        case AssignmentCategory::Reserved50:
        case AssignmentCategory::Reserved60:
        case AssignmentCategory::ReservedB0:
        case AssignmentCategory::ReservedC0:
            return std::nullopt;
    }
    return Literal("关闭");
}
