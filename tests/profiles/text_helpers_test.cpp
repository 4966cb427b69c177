#include "profiles/text_helpers.h"

#include <gtest/gtest.h>

namespace {

TEST(TextHelpers, Utf8AndWideRoundTrip) {
    const std::string texts[] = {"", "Profile 1", "Grüße", "默认配置", "😀 x", "\x7f"};
    for (const std::string& text : texts) {
        EXPECT_EQ(WideToUtf8(Utf8ToWide(text)), text);
    }
    EXPECT_EQ(Utf8ToWide("Grüße"), L"Grüße");
    EXPECT_EQ(Utf8ToWide("😀"), std::wstring(1, static_cast<wchar_t>(0x1F600)));
    EXPECT_EQ(WideToUtf8(L"默认"), "默认");
}

TEST(TextHelpers, InvalidUtf8BecomesReplacementCharacters) {
    const std::wstring R = L"\uFFFD";
    const struct {
        std::string in;
        std::wstring out;
    } cases[] = {
        {"\xC3", R},                          // truncated at the end
        {"a\x80z", L"a" + R + L"z"},          // stray continuation byte
        {"\xE2\x82z", R + L"z"},              // truncated in the middle: one replacement
        {"\xC0\xAF", R + R},                  // overlong form
        {"\xED\xA0\x80", R + R + R},          // encoded surrogate
        {"\xF4\x90\x80\x80", R + R + R + R},  // above U+10FFFF
        {"\xF0\x9F\x98", R},                  // truncated four-byte form
        {"\xFF\xFE", R + R},                  // bytes that never occur
        {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToWide(c.in), c.out) << testing::PrintToString(c.in);
    }
}

TEST(TextHelpers, WideValuesOutsideUnicodeBecomeReplacementCharacters) {
    const std::wstring bad = {static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000), L'a'};
    EXPECT_EQ(WideToUtf8(bad),
              "\xEF\xBF\xBD\xEF\xBF\xBD"
              "a");
}

TEST(TextHelpers, ToHex8) {
    EXPECT_EQ(ToHex8(0), "00000000");
    EXPECT_EQ(ToHex8(0xFF00A0C3), "FF00A0C3");
    EXPECT_EQ(ToHex8(0x0000ABCD), "0000ABCD");
    EXPECT_EQ(ToHex8(0xFFFFFFFF), "FFFFFFFF");
}

TEST(TextHelpers, RemoveCharAndIsBlank) {
    std::string text = "a-b--c-";
    RemoveChar(text, '-');
    EXPECT_EQ(text, "abc");
    EXPECT_TRUE(IsBlank(""));
    EXPECT_TRUE(IsBlank(" \t\r\n"));
    EXPECT_FALSE(IsBlank("  x "));
    EXPECT_TRUE(IsBlank(L" \t"));
    EXPECT_FALSE(IsBlank(L" 名 "));
}

TEST(TextHelpers, SplitIndexedName) {
    const struct {
        const char* name;
        const char* prefix;
        int index;
    } cases[] = {
        {"DPI_slider_3", "DPI_slider_", 3},
        {"key_12", "key_", 12},
        {"_7", "_", 7},
        {"key_", "key_", 0},
        {"key_x", "key_", 0},
        {"key_99999999999", "key_", 0},
    };
    for (const auto& c : cases) {
        std::string prefix;
        int index = -1;
        ASSERT_TRUE(SplitIndexedName(c.name, prefix, index)) << c.name;
        EXPECT_EQ(prefix, c.prefix) << c.name;
        EXPECT_EQ(index, c.index) << c.name;
    }
    std::string prefix = "unchanged";
    int index = 5;
    EXPECT_FALSE(SplitIndexedName("nounderscore", prefix, index));
    EXPECT_EQ(prefix, "unchanged");
    EXPECT_EQ(index, 5);
}

}  // namespace
