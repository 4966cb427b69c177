#include "profiles/text_helpers.h"

#include <charconv>
#include <cwctype>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// Decodes one character at text[i]; advances i past the character or past the
// maximal invalid part (at least one byte) and returns U+FFFD for the latter.
char32_t DecodeOne(std::string_view text, size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    size_t length = 0;
    char32_t value = 0;
    // Allowed range of the second byte; it excludes overlong forms, surrogates
    // and values above U+10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        ++i;
        return kReplacement;
    }
    size_t used = 1;
    for (; used < length; ++used) {
        if (i + used >= text.size())
            break;
        const auto b = static_cast<unsigned char>(text[i + used]);
        if (used == 1 ? (b < low || b > high) : !IsContinuation(b))
            break;
        value = value << 6 | (b & 0x3F);
    }
    i += used;
    return used == length ? value : kReplacement;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = kReplacement;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

}  // namespace

static_assert(sizeof(wchar_t) == 4, "wide text is UTF-32 on this platform");

std::wstring Utf8ToWide(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();)
        out += static_cast<wchar_t>(DecodeOne(text, i));
    return out;
}

std::string WideToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text)
        AppendUtf8(out, static_cast<char32_t>(c));
    return out;
}

std::string ToHex8(uint32_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out(8, '0');
    for (int i = 7; i >= 0; --i) {
        out[static_cast<size_t>(i)] = kDigits[value & 0xF];
        value >>= 4;
    }
    return out;
}

void RemoveChar(std::string& text, char c) {
    std::erase(text, c);
}

bool IsBlank(std::string_view text) {
    for (char c : text) {
        if (!IsSpace(c))
            return false;
    }
    return true;
}

bool IsBlank(std::wstring_view text) {
    for (wchar_t c : text) {
        if (!std::iswspace(static_cast<wint_t>(c)))
            return false;
    }
    return true;
}

bool SplitIndexedName(std::string_view name, std::string& prefix, int& index) {
    const size_t underscore = name.rfind('_');
    if (underscore == std::string_view::npos)
        return false;
    prefix.assign(name.substr(0, underscore + 1));
    const std::string_view digits = name.substr(underscore + 1);
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    (void)end;
    index = error == std::errc() ? value : 0;
    return true;
}
