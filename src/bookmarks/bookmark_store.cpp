#include "bookmarks/bookmark_store.h"

namespace quorvel::bookmarks {

namespace {

char indexDigit(std::size_t index) {
    return static_cast<char>('0' + index);
}

}  // namespace

std::string titleKey(std::size_t index) {
    return std::string("Title url") + indexDigit(index);
}

std::string urlKey(std::size_t index) {
    return std::string("url") + indexDigit(index);
}

void LoadUrlFromReg(BookmarkTable& table, runtime::SettingsStore& store) {
    for (std::size_t i = 0; i < kBookmarkCount; ++i) {
        table.UrlTitle[i] = store.get(kStoreApplication, kStoreSection, titleKey(i), kDefaultTitle);
        table.UrlAddress[i] = store.get(kStoreApplication, kStoreSection, urlKey(i), DefaultUrl);
    }
}

bool saveBookmarks(const BookmarkTable& table, runtime::SettingsStore& store,
                   runtime::MessageBox& messageBox, const std::string& errorTitle) {
    runtime::SettingsEntries entries;
    entries.reserve(2 * kBookmarkCount);
    for (std::size_t i = 0; i < kBookmarkCount; ++i) {
        entries.emplace_back(urlKey(i), table.UrlAddress[i]);
        entries.emplace_back(titleKey(i), table.UrlTitle[i]);
    }
    if (store.save(kStoreApplication, kStoreSection, entries)) {
        return true;
    }
    messageBox.show(kSaveFailedText, runtime::vbCritical | runtime::vbOKOnly, errorTitle);
    return false;
}

}  // namespace quorvel::bookmarks
