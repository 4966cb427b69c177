#include "cli/function_names.h"

#include <array>
#include <cctype>
#include <charconv>
#include <span>
#include <vector>

namespace {

// The words for the rows of each table, in row order.
constexpr const char* kButtonWords[] = {"left", "middle", "right", "forward", "back"};
constexpr const char* kDpiWords[] = {"up", "down", "cycle"};
constexpr const char* kMediaWords[] = {
    "player",      "play",          "stop",       "prev",        "next",       "volume-down",
    "volume-up",   "mute",          "browser",    "web-refresh", "web-stop",   "web-back",
    "web-forward", "web-favorites", "web-search", "computer",    "calculator", "mail"};
constexpr const char* kSystemWords[] = {"sleep", "wake", "power"};
constexpr const char* kShortcutWords[] = {"open",  "new",  "undo",      "save",     "copy",   "cut",
                                          "paste", "find", "selectall", "zoom-out", "zoom-in"};

std::span<const char* const> Words(NamedTable table) {
    switch (table) {
        case NamedTable::MouseButton:
            return kButtonWords;
        case NamedTable::Dpi:
            return kDpiWords;
        case NamedTable::Media:
            return kMediaWords;
        case NamedTable::System:
            return kSystemWords;
        case NamedTable::Shortcut:
            return kShortcutWords;
    }
    return {};
}

const CodeTable& Table(NamedTable table) {
    switch (table) {
        case NamedTable::MouseButton:
            return MouseButtonTable();
        case NamedTable::Dpi:
            return DpiTable();
        case NamedTable::Media:
            return MediaTable();
        case NamedTable::System:
            return SystemTable();
        case NamedTable::Shortcut:
            break;
    }
    return CombinationKeyTable();
}

constexpr struct {
    const char* word;
    uint8_t bit;
} kModifiers[] = {
    {"ctrl", 0x01},  {"shift", 0x02},  {"alt", 0x04},  {"win", 0x08},
    {"rctrl", 0x10}, {"rshift", 0x20}, {"ralt", 0x40}, {"rwin", 0x80},
};

// Names for keys whose table name is unclear or awkward to type.
constexpr struct {
    const char* alias;
    const char* name;
} kKeyAliases[] = {
    {"backslash", "xiegang"}, {"capslock", "caplk"}, {"comma", "<"}, {"escape", "esc"}};

constexpr char kKeyPrefix[] = "keyboard_key_";

// A keyboard table row's name as a word: "keyboard_key_Page Up" → "pageup".
std::string KeyWord(const char* languageId) {
    std::string word;
    for (const char* c = languageId + sizeof(kKeyPrefix) - 1; *c; ++c)
        if (*c != ' ')
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    return word;
}

struct NamedKey {
    std::string word;
    uint8_t usage;
};

// The keys with a HID usage: the keyboard table rows after the modifiers, up
// to the end of the capture rows.
const std::vector<NamedKey>& NamedKeys() {
    static const std::vector<NamedKey> keys = [] {
        std::vector<NamedKey> list;
        const CodeTable& table = KeyboardKeyTable();
        for (size_t row = kModifierRowCount; row < kCaptureRowCount && row < table.size(); ++row)
            list.push_back({KeyWord(table.names[row]), table.rows[row].param2});
        return list;
    }();
    return keys;
}

std::optional<int> HexUsage(const std::string& word) {
    if (word.size() < 3 || word.size() > 4 || word[0] != '0' || (word[1] != 'x' && word[1] != 'X'))
        return std::nullopt;
    int value = 0;
    const char* end = word.data() + word.size();
    const auto [stop, problem] = std::from_chars(word.data() + 2, end, value, 16);
    if (problem != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

bool Simple(const std::string& word) {
    if (word.size() == 1 && std::isalnum(static_cast<unsigned char>(word[0])))
        return true;
    return word.size() >= 2 && word.size() <= 3 && word[0] == 'f' &&
           std::isdigit(static_cast<unsigned char>(word[1]));
}

}  // namespace

std::optional<int> FindNamedRow(NamedTable table, const std::string& word) {
    const std::span<const char* const> words = Words(table);
    const size_t rows = Table(table).size();
    for (size_t row = 0; row < words.size() && row < rows; ++row)
        if (word == words[row])
            return static_cast<int>(row);
    return std::nullopt;
}

std::string NamedRowList(NamedTable table) {
    const std::span<const char* const> words = Words(table);
    std::string list;
    for (size_t i = 0; i < words.size(); ++i) {
        if (i > 0)
            list += i + 1 == words.size() ? " or " : ", ";
        list += words[i];
    }
    return list;
}

std::optional<uint8_t> FindKeyUsage(const std::string& typed) {
    if (const std::optional<int> usage = HexUsage(typed)) {
        if (*usage < kKeyUsageMin || *usage > kKeyUsageMax)
            return std::nullopt;
        return static_cast<uint8_t>(*usage);
    }
    std::string word;
    for (const char c : typed)
        word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const auto& a : kKeyAliases)
        if (word == a.alias)
            word = a.name;
    for (const NamedKey& key : NamedKeys())
        if (key.word == word)
            return key.usage;
    return std::nullopt;
}

std::string KeyNameList() {
    std::string others;
    for (const NamedKey& key : NamedKeys()) {
        if (Simple(key.word) || key.word == "xiegang" || key.word == "caplk" || key.word == "<")
            continue;
        others += " " + key.word;
    }
    for (const auto& a : kKeyAliases)
        others += " " + std::string(a.alias);
    return "a-z, 0-9, f1-f12," + others;
}

uint8_t ModifierBit(const std::string& word) {
    for (const auto& m : kModifiers)
        if (word == m.word)
            return m.bit;
    return 0;
}
