#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quorvel::runtime::qt {

// What a GetProperty reply says about the value it carries, as another client set it.
struct PropertyReply {
    std::uint32_t type = 0;   // the value's type atom; 0 (None) when there is no property
    std::uint8_t format = 0;  // bits per item: 8, 16 or 32 in a sound reply
    std::uint32_t items = 0;  // number of items, in units of the format
    std::span<const std::uint8_t> value;  // the bytes that came after the reply's header
};

// The atoms a window's title can be typed with; STRING is always atom 31.
struct TextAtoms {
    std::uint32_t utf8String = 0;
    std::uint32_t compoundText = 0;
};

inline constexpr std::uint32_t kStringAtom = 31;

// A text property as UTF-8, from UTF8_STRING, STRING (Latin-1) or COMPOUND_TEXT. Nothing for
// another type or format, a length the value does not hold, or bytes invalid in their encoding.
std::optional<std::string> decodeText(const PropertyReply& reply, const TextAtoms& atoms);

// A property of 32-bit items (windows, atoms); empty unless the format is 32 and the value holds
// every item.
std::vector<std::uint32_t> decodeList(const PropertyReply& reply);

// Whether the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool isUtf8(std::string_view bytes);

}  // namespace quorvel::runtime::qt
