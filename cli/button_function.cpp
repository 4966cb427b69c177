#include "cli/button_function.h"

#include <charconv>
#include <optional>

#include "cli/function_names.h"
#include "devices/key_assignment_editor.h"

namespace {

struct FunctionWord {
    const char* word;
    FunctionType type;
    const char* usage;  // the words after it
};

constexpr FunctionWord kFunctions[] = {
    {"default", FunctionType::Default, ""},
    {"button", FunctionType::MouseButton, " left|middle|right|forward|back"},
    {"tilt", FunctionType::Tilt, " left|right COUNT [speed S] [delay D]"},
    {"wheel", FunctionType::Wheel, " up|down COUNT [speed S] [delay D]"},
    {"dpi", FunctionType::Dpi, " up|down|cycle"},
    {"fire", FunctionType::Fire, " INTERVAL SHOTS"},
    {"key", FunctionType::KeyboardKey, " [MODIFIER+…]KEY"},
    {"media", FunctionType::Media, " NAME"},
    {"system", FunctionType::System, " sleep|wake|power"},
    {"macro", FunctionType::Macro, " INDEX [mode 0-3|repeat N]"},
    {"gun", FunctionType::GunKey, " 0-3"},
    {"shortcut", FunctionType::Shortcut, " NAME"},
};

class Reader {
  public:
    Reader(const FunctionWord& f, std::span<const std::string> words, std::string& error)
        : f_(f), words_(words), error_(error) {}

    bool More() const { return at_ < words_.size(); }
    bool Usage() {
        error_ = std::string("usage: mouse assign BUTTON ") + f_.word + f_.usage;
        return false;
    }
    // The next word; a usage message when there is none.
    bool Next(std::string& word) {
        if (!More())
            return Usage();
        word = words_[at_++];
        return true;
    }
    bool Number(const char* what, int min, int max, int& value) {
        std::string word;
        if (!Next(word))
            return false;
        const char* end = word.data() + word.size();
        const auto [stop, problem] = std::from_chars(word.data(), end, value);
        if (word.empty() || problem != std::errc() || stop != end || value < min || value > max) {
            error_ = std::string(f_.word) + ": " + what + " must be a whole number from " +
                     std::to_string(min) + " to " + std::to_string(max) + ", not '" + word + "'";
            return false;
        }
        return true;
    }
    bool Row(NamedTable table, const char* what, int& row) {
        std::string word;
        if (!Next(word))
            return false;
        const std::optional<int> found = FindNamedRow(table, word);
        if (!found) {
            error_ = std::string(f_.word) + ": " + what + " is one of " + NamedRowList(table) +
                     ", not '" + word + "'";
            return false;
        }
        row = *found;
        return true;
    }
    bool Choice(const char* first, const char* second, int& index) {
        std::string word;
        if (!Next(word))
            return false;
        if (word != first && word != second) {
            error_ =
                std::string(f_.word) + ": say " + first + " or " + second + ", not '" + word + "'";
            return false;
        }
        index = word == second ? 1 : 0;
        return true;
    }
    bool Done() { return More() ? Usage() : true; }

  private:
    const FunctionWord& f_;
    std::span<const std::string> words_;
    size_t at_ = 0;
    std::string& error_;
};

// COUNT [speed S] [delay D] of a tilt or a wheel.
bool ReadSteps(Reader& in, ButtonFunction& f) {
    if (!in.Number("COUNT", kStepsMin, kStepsMax, f.count))
        return false;
    bool speed = false;
    bool delay = false;
    while (in.More()) {
        std::string option;
        in.Next(option);
        if (option == "speed" && !speed) {
            speed = true;
            if (!in.Number("the speed", 0, kNibbleMax, f.speed))
                return false;
        } else if (option == "delay" && !delay) {
            delay = true;
            if (!in.Number("the delay", 0, kNibbleMax, f.delay))
                return false;
        } else {
            return in.Usage();
        }
    }
    return true;
}

// [MODIFIER+…]KEY: modifiers first, then the key (none after modifiers alone).
bool ReadKey(Reader& in, ButtonFunction& f, std::string& error) {
    std::string word;
    if (!in.Next(word) || !in.Done())
        return false;
    size_t start = 0;
    while (start < word.size()) {
        const size_t plus = word.find('+', start);
        const uint8_t bit =
            plus == std::string::npos ? 0 : ModifierBit(word.substr(start, plus - start));
        if (bit == 0)
            break;
        f.modifiers |= bit;
        start = plus + 1;
    }
    const std::string key = word.substr(start);
    if (const uint8_t bit = ModifierBit(key); bit != 0) {
        f.modifiers |= bit;
        return true;
    }
    const std::optional<uint8_t> usage = FindKeyUsage(key);
    if (!usage) {
        error = "key: unknown key '" + key + "' in '" + word + "'; say [MODIFIER+…]KEY with " +
                "MODIFIER one of " + kModifierWords + " and KEY one of " + KeyNameList() +
                " or a HID usage from 0x04 to 0xE7";
        return false;
    }
    f.usage = *usage;
    return true;
}

bool ReadMacro(Reader& in, ButtonFunction& f) {
    if (!in.Number("the macro INDEX", 0, 255, f.macro))
        return false;
    if (!in.More())
        return true;
    std::string how;
    in.Next(how);
    bool ok = false;
    if (how == "mode") {
        ok = in.Number("the play mode", 0, kMacroPlayModeMax, f.macroMode);
    } else if (how == "repeat") {
        f.macroMode = kMacroModeRepeat;
        ok = in.Number("the repeat count", 0, 255, f.count);
    } else {
        return in.Usage();
    }
    return ok && in.Done();
}

bool ReadArguments(Reader& in, ButtonFunction& f, std::string& error) {
    switch (f.type) {
        case FunctionType::Default:
            return in.Done();
        case FunctionType::MouseButton:
            return in.Row(NamedTable::MouseButton, "the button", f.row) && in.Done();
        case FunctionType::Tilt:
            return in.Choice("left", "right", f.direction) && ReadSteps(in, f);
        case FunctionType::Wheel:
            return in.Choice("up", "down", f.direction) && ReadSteps(in, f);
        case FunctionType::Dpi:
            return in.Row(NamedTable::Dpi, "the DPI step", f.row) && in.Done();
        case FunctionType::Fire:
            return in.Number("the INTERVAL", 0, 255, f.interval) &&
                   in.Number("the number of SHOTS", 0, 255, f.count) && in.Done();
        case FunctionType::KeyboardKey:
            return ReadKey(in, f, error);
        case FunctionType::Media:
            return in.Row(NamedTable::Media, "the media key", f.row) && in.Done();
        case FunctionType::System:
            return in.Row(NamedTable::System, "the system key", f.row) && in.Done();
        case FunctionType::Macro:
            return ReadMacro(in, f);
        case FunctionType::GunKey:
            return in.Number("the gun", 0, static_cast<int>(kGunCount) - 1, f.row) && in.Done();
        case FunctionType::Shortcut:
            return in.Row(NamedTable::Shortcut, "the shortcut", f.row) && in.Done();
        case FunctionType::None:
            break;
    }
    return false;
}

}  // namespace

bool ParseButtonFunction(std::span<const std::string> words, ButtonFunction& f,
                         std::string& error) {
    const FunctionWord* found = nullptr;
    for (const FunctionWord& w : kFunctions)
        if (!words.empty() && words.front() == w.word)
            found = &w;
    if (!found) {
        error =
            "say the function: default, button, tilt, wheel, dpi, fire, key, media, system, "
            "macro, gun or shortcut";
        if (!words.empty())
            error += ", not '" + words.front() + "'";
        return false;
    }
    f = ButtonFunction{};
    f.type = found->type;
    Reader in(*found, words.subspan(1), error);
    return ReadArguments(in, f, error);
}

KeyEntry BuildButtonEntry(const ButtonFunction& f, const KeyEntry& entry,
                          std::span<const std::string> macroNames) {
    if (f.type == FunctionType::KeyboardKey) {
        // Any set of modifiers, left or right: the editor's options give one left one only.
        KeyAssignment key = entry.current;
        key.category = CategoryCode(AssignmentCategory::KeyboardKey);
        key.param1 = f.modifiers;
        key.param2 = f.usage;
        return {key, entry.defaultAssignment};
    }
    KeyAssignmentEditor editor;
    editor.SetEditorMode(2);
    editor.SetMacroNames({macroNames.begin(), macroNames.end()});
    editor.OpenKey(entry);
    KeyEditorControls& c = editor.Controls();
    c.functionType = f.type;
    c.mouseButton = c.dpi = c.media = c.system = c.combination = c.gun = f.row;
    c.tiltDirection = c.wheelDirection = f.direction;
    c.tiltCount = c.wheelCount = c.fireCount = c.repeatCount = std::to_string(f.count);
    c.tiltSpeed = c.wheelSpeed = std::to_string(f.speed);
    c.tiltDelay = c.wheelDelay = std::to_string(f.delay);
    c.fireInterval = std::to_string(f.interval);
    c.macro = f.macro;
    c.macroMode = f.macroMode;
    return editor.ReadAssignment();
}
