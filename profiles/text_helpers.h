// Small text helpers used across the program: UTF-8 and wide text, hexadecimal
// colour texts, trimming tests and indexed control names ("DPI_slider_" + 3).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// UTF-8 to wide text (UTF-32 on Linux). Every byte sequence that is not valid
// UTF-8 (stray continuation bytes, truncated or overlong sequences, surrogates,
// values above U+10FFFF) becomes one U+FFFD for each maximal invalid part.
std::wstring Utf8ToWide(std::string_view text);

// Wide text to UTF-8. Values that are no Unicode scalar value (surrogates,
// values above U+10FFFF) are written as U+FFFD.
std::string WideToUtf8(std::wstring_view text);

// A 32-bit value as exactly eight upper-case hexadecimal digits, most
// significant first ("FF00A0C3").
std::string ToHex8(uint32_t value);

// Deletes every occurrence of one character from text.
void RemoveChar(std::string& text, char c);

// True when text is empty after removing leading and trailing white space.
bool IsBlank(std::string_view text);
bool IsBlank(std::wstring_view text);

// Splits a control name of the form prefix + "_" + number at its last "_":
// prefix receives everything up to and including that "_", index the decimal
// number after it (0 when no digits follow or the number does not fit an int).
// Returns false, leaving both untouched, when the name holds no "_".
bool SplitIndexedName(std::string_view name, std::string& prefix, int& index);
