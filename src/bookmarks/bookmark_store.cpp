// SPDX-License-Identifier: MIT
#include "bookmarks/bookmark_store.h"

namespace quorvel::bookmarks {

namespace {

char indexDigit(std::size_t index) {
    return static_cast<char>('0' + index);
}

bool sameRow(const BookmarkTable& a, const BookmarkTable& b, std::size_t i) {
    return a.UrlTitle[i] == b.UrlTitle[i] && a.UrlAddress[i] == b.UrlAddress[i];
}

}  // namespace

std::string titleKey(std::size_t index) {
    return std::string("Title url") + indexDigit(index);
}

std::string urlKey(std::size_t index) {
    return std::string("url") + indexDigit(index);
}

void LoadUrlFromReg(BookmarkTable& table, BookmarkTable& stored, runtime::SettingsStore& store) {
    for (std::size_t i = 0; i < kBookmarkCount; ++i) {
        table.UrlTitle[i] = store.get(kStoreApplication, kStoreSection, titleKey(i), kDefaultTitle);
        table.UrlAddress[i] = store.get(kStoreApplication, kStoreSection, urlKey(i), DefaultUrl);
    }
    stored = table;
}

SaveResult saveBookmarks(BookmarkTable& table, BookmarkTable& stored, runtime::SettingsStore& store,
                         runtime::MessageBox& messageBox, const std::string& errorTitle) {
    runtime::SettingsEntries entries;
    std::vector<std::string> changed;
    entries.reserve(2 * kBookmarkCount);
    for (std::size_t i = 0; i < kBookmarkCount; ++i) {
        entries.emplace_back(urlKey(i), table.UrlAddress[i]);
        entries.emplace_back(titleKey(i), table.UrlTitle[i]);
        // A row is a pair: a title is never written beside another copy's URL.
        if (!sameRow(table, stored, i)) {
            changed.push_back(urlKey(i));
            changed.push_back(titleKey(i));
        }
    }
    const runtime::SaveOutcome outcome =
        store.save(kStoreApplication, kStoreSection, entries, changed);
    if (!outcome) {
        messageBox.show(kSaveFailedText, runtime::vbCritical | runtime::vbOKOnly, errorTitle,
                        outcome.failure);
        return SaveResult::Failed;
    }
    const BookmarkTable before = table;
    for (const auto& [key, value] : outcome.stored) {
        for (std::size_t i = 0; i < kBookmarkCount; ++i) {
            if (key == urlKey(i)) {
                table.UrlAddress[i] = value;
            } else if (key == titleKey(i)) {
                table.UrlTitle[i] = value;
            }
        }
    }
    stored = table;
    for (std::size_t i = 0; i < kBookmarkCount; ++i) {
        if (!sameRow(table, before, i)) {
            return SaveResult::TookOtherRows;
        }
    }
    return SaveResult::Saved;
}

}  // namespace quorvel::bookmarks
