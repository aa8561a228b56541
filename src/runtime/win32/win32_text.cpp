// SPDX-License-Identifier: MIT
#include "runtime/win32/win32_text.h"

#include "runtime/win32/win32_api.h"

#include <limits>

namespace quorvel::runtime::win32 {

std::wstring widen(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return {};
    }
    const int length = static_cast<int>(utf8.size());
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    if (size <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), size);
    return wide;
}

std::string narrow(std::wstring_view utf16) {
    if (utf16.empty() ||
        utf16.size() > static_cast<std::size_t>(std::numeric_limits<int>::max() / 3)) {
        return {};
    }
    const int length = static_cast<int>(utf16.size());
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, text.data(), size, nullptr, nullptr);
    return text;
}

std::wstring shortenedCaption(const std::string& text, std::size_t maxLength) {
    std::wstring caption = widen(text);
    if (caption.size() <= maxLength || maxLength < 2) {
        return caption;
    }
    std::size_t cut = maxLength - 1;
    if (IS_HIGH_SURROGATE(caption[cut - 1])) {
        --cut;
    }
    caption.resize(cut);
    caption += L'\u2026';
    return caption;
}

}  // namespace quorvel::runtime::win32
