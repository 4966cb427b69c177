// The key assignment editor without its widgets: what its controls show for an
// assignment, the assignment its controls describe, a key captured from the
// physical keyboard, and the label of an assignment in a device page's key list.
// The page mirrors KeyEditorControls into its widgets and writes the user's
// changes back before it calls the notification operations.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "devices/key_codes.h"
#include "profiles/profile_records.h"

// Turns a language id into the text the user sees ("text_test" on the page).
using LanguageText = std::function<std::string(const std::string& languageId)>;

// The state of the editor's controls. List selections are item indices, -1 for
// none; fields hold the text the user sees.
struct KeyEditorControls {
    bool panelVisible = false;                       // "keyset_layout"
    FunctionType functionType = FunctionType::None;  // selected item of "keyset_function_combo"
    int tabPage = 0;                                 // "function_switch_tablayout"
    int mouseButton = 0;                             // "keyset_mousekey_combo"
    int tiltDirection = 0;                           // "keyset_mouseswing_combo": 0 left, 1 right
    std::string tiltCount, tiltDelay, tiltSpeed;     // "keyset_mouseswing_{num,delay,speed}_edit"
    int wheelDirection = 0;                          // "keyset_mousewheel_combo": 0 up, 1 down
    std::string wheelCount, wheelDelay, wheelSpeed;  // "keyset_mousewheel_{num,delay,speed}_edit"
    int dpi = 0;                                     // "keyset_mousedpi_combo"
    std::string fireInterval, fireCount;             // "keyset_mousefire_{interval,num}_edit"
    std::string keyText;                             // "keyset_keyboard_text_edit"
    int modifierOption = -1;                         // "key_ComBox_check_0" ... "_4"
    int media = 0;                                   // "keyset_media_combo"
    int system = 0;                                  // "keyset_system_combo"
    int macro = -1;                                  // "keyset_macro_combo"
    int macroMode = -1;               // "keyset_macro_over_combo": 0-3 modes, 4 count
    bool repeatPanelVisible = false;  // "keyset_macro_cycle_layout"
    std::string repeatCount;          // "keyset_macro_cycle_edit"
    int gun = 0;                      // "keyset_gunkey_combo"
    int combination = 0;              // "keyset_combokey_combo"
    bool buttonsEnabled = false;  // "key_butt_keysave", "key_butt_keycancel", "key_butt_prosave"
};

inline constexpr int kMacroModeRepeat = 4;  // the mode item that plays a macro a number of times

// A decimal field as the editor reads it: leading blanks, an optional sign and
// digits; a field that holds no number reads as 0.
int ReadNumberField(const std::string& text);

class KeyAssignmentEditor {
  public:
    // `text`: language id → display text; the id itself when not given.
    explicit KeyAssignmentEditor(LanguageText text = {});

    // Where ApplyKeyEdit hands the edited entry: the device object, which stores
    // it at the selected key, saves the key list and relabels its keys.
    void SetApplySink(std::function<void(const KeyEntry&)> sink) { apply_ = std::move(sink); }

    // 1 keyboard, 2 mouse. The keyboard's function list has no DPI and no gun item.
    void SetEditorMode(int deviceKind) { deviceKind_ = deviceKind; }
    int DeviceKind() const { return deviceKind_; }
    // The items of the function list that are shown, in list order.
    std::vector<FunctionType> FunctionItems() const;
    bool HasFunctionItem(FunctionType type) const;

    // The macro list, in library order (list index = library index).
    void SetMacroNames(std::vector<std::string> names);
    void AddMacroName(const std::string& name) { macroNames_.push_back(name); }
    void RemoveMacroName(int index);
    void RenameMacroName(int index, const std::string& name);
    const std::vector<std::string>& MacroNames() const { return macroNames_; }

    void OpenKey(const KeyEntry& entry);
    void ShowDefault() { ShowAssignment(default_); }
    void ShowCurrent() { ShowAssignment(current_); }
    void SetCurrent(const KeyAssignment& assignment) { current_ = assignment; }
    const KeyAssignment& Current() const { return current_; }
    const KeyAssignment& Default() const { return default_; }

    // Presents an assignment in the controls.
    void ShowAssignment(const KeyAssignment& assignment);
    // Builds the assignment the controls describe, stores it as current and
    // returns (current, default).
    KeyEntry ReadAssignment();

    // ---- notifications (the user's change is already in Controls()) ----
    void OnFunctionSelected(FunctionType type);
    void OnModifierSelected(int option);
    void OnMacroModeSelected(int index);
    // A drop-down list changed, a number field lost focus, or "key_butt_keysave".
    void ApplyKeyEdit();
    void OnDefaultClicked();  // "key_butt_keydefalut"
    void OnCancelClicked();   // "key_butt_keycancel"
    // A key event from the capture hook: set-1 scan code, flags bit 0 = extended.
    // False when the key is not in the capture table (nothing is applied).
    bool OnKeyCaptured(uint8_t scanCode, uint32_t flags);
    // The device's factory settings were restored.
    void Reset();

    KeyEditorControls& Controls() { return controls_; }
    const KeyEditorControls& Controls() const { return controls_; }

  private:
    std::string Text(const char* languageId) const;
    void ShowKeyboardKey(const KeyAssignment& a, FunctionType& type);

    LanguageText text_;
    std::function<void(const KeyEntry&)> apply_;
    int deviceKind_ = 2;
    std::vector<std::string> macroNames_;
    KeyAssignment current_;
    KeyAssignment default_;
    KeyEditorControls controls_;
};

// The label of a key in a device page's key list: language ids (joined with "+"
// when more than one) or a literal text (a macro's name, "关闭").
struct AssignmentText {
    std::vector<std::string> languageIds;
    std::string literal;
    std::string Display(const LanguageText& text = {}) const;
};

// std::nullopt: the key gets no row in the list. `deviceKind` 1 keyboard, 2 mouse.
std::optional<AssignmentText> AssignmentLabel(const KeyAssignment& assignment, int deviceKind,
                                              std::span<const std::string> macroNames);
