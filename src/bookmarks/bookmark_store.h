// SPDX-License-Identifier: MIT
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

// Fills every element from the store; a key that is not stored gives the default. `stored`
// remembers what was read, so that a save can tell this copy's changes from another's.
void LoadUrlFromReg(BookmarkTable& table, BookmarkTable& stored, runtime::SettingsStore& store);

enum class SaveResult {
    Failed,
    Saved,
    // Saved, and rows another copy wrote meanwhile came into the table: the menu is behind.
    TookOtherRows,
};

// Writes all ten values as one commit, so the store always holds one complete table: the rows
// this copy changed since `stored`, over what the store holds now for the others. On success
// the table and `stored` become what was written. When it fails, one stop message under the
// given title says so, with the store's reason as its details; the table is left as it is.
SaveResult saveBookmarks(BookmarkTable& table, BookmarkTable& stored, runtime::SettingsStore& store,
                         runtime::MessageBox& messageBox, const std::string& errorTitle);

}  // namespace quorvel::bookmarks
