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
    LoadUrlFromReg(table, fake.runtime().settings);

    EXPECT_EQ(table.UrlAddress[3], "https://example.org/3");
    EXPECT_EQ(table.UrlTitle[3], "作者HP");
    EXPECT_EQ(table.UrlTitle[1], "   ");
    for (std::size_t i : {0u, 1u, 2u, 4u}) {
        EXPECT_EQ(table.UrlAddress[i], DefaultUrl) << i;
    }
    EXPECT_EQ(table.UrlTitle[0], "作者HP");
}

TEST(BookmarkStore, SaveWritesAllTenValuesInOneCommitUrlBeforeTitle) {
    FakeRuntime fake;
    BookmarkTable table;
    for (std::size_t i = 0; i < kBookmarkCount; ++i) {
        table.UrlTitle[i] = "t" + std::to_string(i);
        table.UrlAddress[i] = "u" + std::to_string(i);
    }
    EXPECT_TRUE(saveBookmarks(table, fake.runtime().settings, fake.runtime().messageBox, "T"));

    EXPECT_THAT(fake.log, ::testing::ElementsAre("store.save url0,Title url0,url1,Title url1,url2,"
                                                 "Title url2,url3,Title url3,url4,Title url4"));
    EXPECT_EQ(fake.store[key("Title url3")], "t3");
    EXPECT_EQ(fake.store[key("url4")], "u4");
    EXPECT_TRUE(fake.messages.empty());

    BookmarkTable reloaded;
    LoadUrlFromReg(reloaded, fake.runtime().settings);
    EXPECT_EQ(reloaded.UrlTitle, table.UrlTitle);
    EXPECT_EQ(reloaded.UrlAddress, table.UrlAddress);
}

TEST(BookmarkStore, AFailedSaveSaysSoOnceUnderTheGivenTitleAndKeepsTheTable) {
    FakeRuntime fake;
    fake.storeWritable = false;
    BookmarkTable table;
    table.UrlTitle[2] = "kept";
    EXPECT_FALSE(
        saveBookmarks(table, fake.runtime().settings, fake.runtime().messageBox, "Quorvel エラー"));
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].title, "Quorvel エラー");
    EXPECT_EQ(fake.messages[0].text, kSaveFailedText);
    EXPECT_EQ(table.UrlTitle[2], "kept");
    EXPECT_TRUE(fake.store.empty());
}

}  // namespace
}  // namespace quorvel::bookmarks
