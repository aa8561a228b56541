// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace quorvel::bookmarks {

inline constexpr std::size_t kBookmarkCount = 5;

// The one default pair: for a value the store lacks and for a box the editor leaves empty.
inline constexpr const char* kDefaultTitle = "作者HP";
inline constexpr const char* DefaultUrl = "http://www.quorvel.example/";

using BookmarkTexts = std::array<std::string, kBookmarkCount>;

// Element i of both arrays is bookmark i: its menu caption and the URL it opens.
struct BookmarkTable {
    BookmarkTexts UrlTitle{};
    BookmarkTexts UrlAddress{};
};

}  // namespace quorvel::bookmarks
