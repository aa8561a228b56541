#pragma once

#include <cstddef>
#include <string>

#include "bookmarks/bookmark_table.h"
#include "runtime/message_box.h"
#include "runtime/settings_store.h"

namespace quorvel::bookmarks {

inline constexpr const char* kStoreApplication = "Quorvel";
inline constexpr const char* kStoreSection = "Url Info";
inline constexpr const char* kSaveFailedText = "URLを保存できませんでした。";

std::string titleKey(std::size_t index);
std::string urlKey(std::size_t index);

// Fills every element from the store; a key that is not stored gives the default.
void LoadUrlFromReg(BookmarkTable& table, runtime::SettingsStore& store);

// Writes all ten values as one commit, so the store always holds one complete table. When that
// fails, one stop message under the given title says so; the table in memory is left as it is.
bool saveBookmarks(const BookmarkTable& table, runtime::SettingsStore& store,
                   runtime::MessageBox& messageBox, const std::string& errorTitle);

}  // namespace quorvel::bookmarks
