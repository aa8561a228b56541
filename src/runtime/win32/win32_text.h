// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace quorvel::runtime::win32 {

// The program's strings are UTF-8; the W functions of Windows take UTF-16. Invalid sequences
// become U+FFFD in either direction.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// A caption cut to a length a menu can lay out quickly, in UTF-16 units, ending in "…"; a
// surrogate pair is never split.
std::wstring shortenedCaption(const std::string& text, std::size_t maxLength = 200);

}  // namespace quorvel::runtime::win32
