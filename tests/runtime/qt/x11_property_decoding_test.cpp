#include "runtime/qt/x11_property_decoding.h"

#include <gtest/gtest.h>

#include <string_view>

namespace quorvel::runtime::qt {
namespace {

constexpr TextAtoms kAtoms{300, 301};

std::span<const std::uint8_t> bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::optional<std::string> text(std::uint32_t type, std::string_view value) {
    return decodeText({type, 8, static_cast<std::uint32_t>(value.size()), bytes(value)}, kAtoms);
}

std::optional<std::string> compound(std::string_view value) {
    return text(kAtoms.compoundText, value);
}

TEST(X11PropertyDecoding, TitlesInEachTextTypeComeOutAsUtf8) {
    EXPECT_EQ(text(kAtoms.utf8String, "作者HP"), "作者HP");
    EXPECT_EQ(text(kStringAtom, "caf\xe9 \xff"), "café ÿ");
    EXPECT_EQ(compound("plain caf\xe9"), "plain café");
    // JIS X 0208 in GR and in GL, Latin-2 in GR, half-width katakana, and a UTF-8 segment.
    EXPECT_EQ(compound("\x1b$)B\xc6\xfc\xcb\xdc"), "日本");
    EXPECT_EQ(compound("a\x1b$(BF|K\\\x1b(Bb"), "a日本b");
    EXPECT_EQ(compound("\x1b-B\xb1"), "ą");
    EXPECT_EQ(compound("\x1b)I\xb1"), "ｱ");
    EXPECT_EQ(compound("x\x1b%G作者\x1b%@\xe9"), "x作者é");
    EXPECT_EQ(compound("\x9b"
                       "2]rtl\x9b]"),
              "rtl");
}

TEST(X11PropertyDecoding, MalformedTextGivesNothing) {
    EXPECT_EQ(text(kAtoms.utf8String, "\xc3"), std::nullopt);          // cut short
    EXPECT_EQ(text(kAtoms.utf8String, "\xc0\xaf"), std::nullopt);      // overlong
    EXPECT_EQ(text(kAtoms.utf8String, "\xed\xa0\x80"), std::nullopt);  // surrogate
    EXPECT_EQ(text(kAtoms.utf8String, "\xf4\x90\x80\x80"), std::nullopt);
    EXPECT_EQ(text(999, "title"), std::nullopt);           // not a text type
    EXPECT_EQ(compound("\x1b$)B\xc6"), std::nullopt);      // half a character
    EXPECT_EQ(compound("\x1b$)B\xc6\x7c"), std::nullopt);  // split across GL and GR
    EXPECT_EQ(compound("\x1b(Z"), std::nullopt);           // a set with no mapping
    EXPECT_EQ(compound("\x1b"), std::nullopt);
    EXPECT_EQ(compound("a\x01"), std::nullopt);
    EXPECT_EQ(compound("\x1b%G\xff"), std::nullopt);
    EXPECT_EQ(compound("\x9b"
                       "3]"),
              std::nullopt);

    const std::string_view title = "title";
    // Formats other than 8, and a count longer than the bytes that came.
    EXPECT_EQ(decodeText({kAtoms.utf8String, 16, 2, bytes(title)}, kAtoms), std::nullopt);
    EXPECT_EQ(decodeText({kAtoms.utf8String, 32, 1, bytes(title)}, kAtoms), std::nullopt);
    EXPECT_EQ(decodeText({kAtoms.utf8String, 8, 6, bytes(title)}, kAtoms), std::nullopt);
    EXPECT_EQ(decodeText({kAtoms.utf8String, 8, 3, bytes(title)}, kAtoms), "tit");
    EXPECT_EQ(decodeText({0, 8, 5, bytes(title)}, kAtoms), std::nullopt);
}

TEST(X11PropertyDecoding, ListsNeedFormat32AndEveryItem) {
    const std::uint32_t windows[] = {0x1200001, 0x1400002};
    const std::span<const std::uint8_t> raw(reinterpret_cast<const std::uint8_t*>(windows), 8);
    EXPECT_EQ(decodeList({33, 32, 2, raw}), (std::vector<std::uint32_t>{0x1200001, 0x1400002}));
    EXPECT_EQ(decodeList({33, 32, 1, raw}), (std::vector<std::uint32_t>{0x1200001}));
    EXPECT_TRUE(decodeList({33, 32, 3, raw}).empty());
    EXPECT_TRUE(decodeList({33, 32, 2, raw.first(7)}).empty());
    EXPECT_TRUE(decodeList({33, 16, 4, raw}).empty());
    EXPECT_TRUE(decodeList({33, 32, 0x40000001, raw}).empty());  // count * 4 past 32 bits
}

}  // namespace
}  // namespace quorvel::runtime::qt
