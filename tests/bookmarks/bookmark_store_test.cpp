// SPDX-License-Identifier: MIT
#include "bookmarks/bookmark_store.h"

#include <gmock/gmock.h>

#include "support/fake_runtime.h"

namespace quorvel::bookmarks {
namespace {

using testing::FakeRuntime;

std::string key(const std::string& name) {
    return FakeRuntime::storeKey("Quorvel", "Url Info", name);
}

TEST(BookmarkStore, KeysAreThePrefixFollowedByABareDigit) {
    EXPECT_EQ(titleKey(0), "Title url0");
    EXPECT_EQ(titleKey(4), "Title url4");
    EXPECT_EQ(urlKey(3), "url3");
}

TEST(BookmarkStore, EachMissingKeyFallsBackToItsOwnDefault) {
    FakeRuntime fake;
    fake.store[key("url3")] = "https://example.org/3";
    fake.store[key("Title url1")] = "   ";
    BookmarkTable table;
    BookmarkTable stored;
    LoadUrlFromReg(table, stored, fake.runtime().settings);

    EXPECT_EQ(table.UrlAddress[3], "https://example.org/3");
    EXPECT_EQ(table.UrlTitle[3], "作者HP");
    EXPECT_EQ(table.UrlTitle[1], "   ");
    for (std::size_t i : {0u, 1u, 2u, 4u}) {
        EXPECT_EQ(table.UrlAddress[i], DefaultUrl) << i;
    }
    EXPECT_EQ(table.UrlTitle[0], "作者HP");
    EXPECT_EQ(stored.UrlTitle, table.UrlTitle);
    EXPECT_EQ(stored.UrlAddress, table.UrlAddress);
}

TEST(BookmarkStore, SaveWritesAllTenValuesInOneCommitUrlBeforeTitle) {
    FakeRuntime fake;
    BookmarkTable table;
    for (std::size_t i = 0; i < kBookmarkCount; ++i) {
        table.UrlTitle[i] = "t" + std::to_string(i);
        table.UrlAddress[i] = "u" + std::to_string(i);
    }
    BookmarkTable stored;
    EXPECT_EQ(saveBookmarks(table, stored, fake.runtime().settings, fake.runtime().messageBox, "T"),
              SaveResult::Saved);

    EXPECT_THAT(fake.log, ::testing::ElementsAre("store.save url0,Title url0,url1,Title url1,url2,"
                                                 "Title url2,url3,Title url3,url4,Title url4"));
    EXPECT_EQ(fake.store[key("Title url3")], "t3");
    EXPECT_EQ(fake.store[key("url4")], "u4");
    EXPECT_TRUE(fake.messages.empty());

    BookmarkTable reloaded;
    BookmarkTable reloadedStored;
    LoadUrlFromReg(reloaded, reloadedStored, fake.runtime().settings);
    EXPECT_EQ(reloaded.UrlTitle, table.UrlTitle);
    EXPECT_EQ(reloaded.UrlAddress, table.UrlAddress);
}

TEST(BookmarkStore, AFailedSaveSaysSoOnceUnderTheGivenTitleAndKeepsTheTable) {
    FakeRuntime fake;
    fake.storeWritable = false;
    fake.storeFailure = "/home/taro/.config/Quorvel/Quorvel.ini: No space left on device";
    BookmarkTable table;
    BookmarkTable stored;
    table.UrlTitle[2] = "kept";
    EXPECT_EQ(saveBookmarks(table, stored, fake.runtime().settings, fake.runtime().messageBox,
                            "Quorvel エラー"),
              SaveResult::Failed);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].title, "Quorvel エラー");
    EXPECT_EQ(fake.messages[0].text, kSaveFailedText);
    EXPECT_EQ(fake.messages[0].style, 16);
    EXPECT_EQ(fake.messages[0].details, fake.storeFailure);
    EXPECT_EQ(table.UrlTitle[2], "kept");
    EXPECT_TRUE(fake.store.empty());

    // Nothing reached the store, so the next save still counts the row as this copy's change.
    fake.storeWritable = true;
    EXPECT_EQ(saveBookmarks(table, stored, fake.runtime().settings, fake.runtime().messageBox,
                            "Quorvel 終了エラー"),
              SaveResult::Saved);
    EXPECT_THAT(fake.lastSaveChanged, ::testing::Contains("Title url2"));
    EXPECT_EQ(fake.store[key("Title url2")], "kept");
    EXPECT_EQ(fake.messages.size(), 1u);
}

// Two copies of the program over one store, as autostart and a start from the menu give.
struct Copy {
    BookmarkTable table;
    BookmarkTable stored;
    SaveResult save(FakeRuntime& fake) {
        return saveBookmarks(table, stored, fake.runtime().settings, fake.runtime().messageBox,
                             "Quorvel エラー");
    }
};

TEST(BookmarkStore, TwoCopiesKeepEachOthersConfirmedRowsAndTakeThemIn) {
    FakeRuntime fake;
    fake.store[key("Title url1")] = "old 1";
    fake.store[key("Title url2")] = "old 2";
    Copy a;
    Copy b;
    LoadUrlFromReg(a.table, a.stored, fake.runtime().settings);
    LoadUrlFromReg(b.table, b.stored, fake.runtime().settings);

    a.table.UrlTitle[1] = "A's 1";
    EXPECT_EQ(a.save(fake), SaveResult::Saved);
    EXPECT_THAT(fake.lastSaveChanged, ::testing::UnorderedElementsAre("url1", "Title url1"));

    b.table.UrlTitle[2] = "B's 2";
    EXPECT_EQ(b.save(fake), SaveResult::TookOtherRows);
    EXPECT_EQ(fake.store[key("Title url1")], "A's 1");
    EXPECT_EQ(fake.store[key("Title url2")], "B's 2");
    EXPECT_EQ(b.table.UrlTitle[1], "A's 1");
    EXPECT_EQ(b.stored.UrlTitle[1], "A's 1");

    // A quits without further edits: B's row stays, and A's table takes it.
    EXPECT_EQ(a.save(fake), SaveResult::TookOtherRows);
    EXPECT_THAT(fake.lastSaveChanged, ::testing::IsEmpty());
    EXPECT_EQ(fake.store[key("Title url2")], "B's 2");
    EXPECT_EQ(a.table.UrlTitle[2], "B's 2");
    EXPECT_EQ(a.save(fake), SaveResult::Saved);
    EXPECT_TRUE(fake.messages.empty());
}

TEST(BookmarkStore, ForARowBothCopiesChangedTheLastWriterWinsWithTheWholeRow) {
    FakeRuntime fake;
    Copy a;
    Copy b;
    LoadUrlFromReg(a.table, a.stored, fake.runtime().settings);
    LoadUrlFromReg(b.table, b.stored, fake.runtime().settings);
    a.table.UrlTitle[3] = "A's title";
    a.table.UrlAddress[3] = "https://a.example/";
    ASSERT_EQ(a.save(fake), SaveResult::Saved);
    b.table.UrlTitle[3] = "B's title";  // only the title, in B's editor
    ASSERT_EQ(b.save(fake), SaveResult::Saved);

    EXPECT_EQ(fake.store[key("Title url3")], "B's title");
    EXPECT_EQ(fake.store[key("url3")], DefaultUrl);  // B's URL of the row, not A's beside it
    EXPECT_EQ(b.table.UrlAddress[3], DefaultUrl);
    for (std::size_t i = 0; i < kBookmarkCount; ++i) {
        EXPECT_EQ(fake.store.count(key(titleKey(i))), 1u) << i;
        EXPECT_EQ(fake.store.count(key(urlKey(i))), 1u) << i;
    }
}

}  // namespace
}  // namespace quorvel::bookmarks
