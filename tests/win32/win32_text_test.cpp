// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <string_view>

#include "runtime/win32/win32_text.h"

namespace quorvel::runtime::win32 {
namespace {

// Appended, not concatenated: GCC 12 warns falsely about string(n, c) + "literal" at -O2.
std::string letters(std::size_t count, char letter, std::string_view tail = {}) {
    std::string text(count, letter);
    text.append(tail);
    return text;
}

TEST(Win32Text, Utf8AndUtf16RoundTripWithJapaneseAndPairs) {
    const std::string text = "作者HP URL編集 🌏 a\tb";
    const std::wstring wide = widen(text);
    EXPECT_EQ(wide, L"作者HP URL編集 \U0001F30F a\tb");
    EXPECT_EQ(narrow(wide), text);
    EXPECT_EQ(widen(""), L"");
    EXPECT_EQ(narrow(L""), "");
    // Embedded NULs are text like any other.
    EXPECT_EQ(narrow(widen(std::string("a\0b", 3))), std::string("a\0b", 3));
}

TEST(Win32Text, InvalidSequencesBecomeReplacementCharacters) {
    EXPECT_EQ(widen("a\xff"
                    "b"),
              L"a\uFFFDb");
    EXPECT_EQ(narrow(std::wstring(L"a") + wchar_t(0xD800) + L"b"),
              "a\xEF\xBF\xBD"
              "b");
}

TEST(Win32Text, CaptionsLongerThanTheLimitEndInAnEllipsisWithoutSplittingAPair) {
    EXPECT_EQ(shortenedCaption(letters(200, 'x')), std::wstring(200, L'x'));
    EXPECT_EQ(shortenedCaption(letters(201, 'x')), std::wstring(199, L'x') + L"\u2026");
    // Japanese counts by UTF-16 unit, not by byte.
    std::string japanese;
    for (int i = 0; i < 200; ++i) {
        japanese += "終";
    }
    EXPECT_EQ(shortenedCaption(japanese).size(), 200u);
    const std::string pairs = letters(197, 'y', "🌏🌏");
    const std::wstring shortened = shortenedCaption(pairs);
    EXPECT_EQ(shortened, std::wstring(197, L'y') + L"\U0001F30F\u2026");
    EXPECT_EQ(shortenedCaption(letters(197, 'y', "z🌏🌏")), std::wstring(197, L'y') + L"z\u2026");
}

}  // namespace
}  // namespace quorvel::runtime::win32
