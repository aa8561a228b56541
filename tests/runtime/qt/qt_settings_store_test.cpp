#include "runtime/qt/qt_settings_store.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace quorvel::runtime::qt {
namespace {

class QtSettingsStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        useConfigFolder(home.path());
    }
    static void useConfigFolder(const QString& folder) {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
    }
    QString storeFile() const { return home.filePath(QStringLiteral("Quorvel/Quorvel.ini")); }

    QTemporaryDir home;
    QtSettingsStore store;
};

TEST_F(QtSettingsStoreTest, ValuesComeBackExactlyAsSaved) {
    const SettingsEntries entries{
        {"Title url0", "日本語のタイトル"},
        {"Title url1", "   "},
        {"Title url2", "&Mail && more"},
        {"url0", std::string(10000, 'x') + "末尾"},
        {"url1", "a, b, \"quoted\"; ;semi \\back\\slash"},
        {"url2", "@Variant(garbage) =[section]"},
        {"url3", "line1\nline2\r\n\ttab"},
        {"url4", "-n"},
    };
    ASSERT_TRUE(store.save("Quorvel", "Url Info", entries));
    for (const auto& [key, value] : entries) {
        EXPECT_EQ(store.get("Quorvel", "Url Info", key, "<default>"), value) << key;
    }
}

TEST_F(QtSettingsStoreTest, AMissingKeySectionOrFileGivesTheFallback) {
    EXPECT_EQ(store.get("Quorvel", "Url Info", "url0", "fallback"), "fallback");
    ASSERT_TRUE(store.save("Quorvel", "Other", {{"url0", "elsewhere"}}));
    EXPECT_EQ(store.get("Quorvel", "Url Info", "url0", "fallback"), "fallback");
    EXPECT_EQ(store.get("Quorvel", "Url Info", "url00", "fallback"), "fallback");
}

TEST_F(QtSettingsStoreTest, KeepsTheStoreInTheUsersIniFileUnderItsSection) {
    ASSERT_TRUE(store.save("Quorvel", "Url Info", {{"Title url0", "x"}, {"url0", "y"}}));
    QSettings direct(storeFile(), QSettings::IniFormat);
    EXPECT_EQ(direct.value(QStringLiteral("Url Info/Title url0")).toString(), QStringLiteral("x"));
    EXPECT_EQ(direct.value(QStringLiteral("Url Info/url0")).toString(), QStringLiteral("y"));
}

TEST_F(QtSettingsStoreTest, AStoreThatCannotBeWrittenReportsFailureAndKeepsItsContents) {
    ASSERT_TRUE(store.save("Quorvel", "Url Info", {{"url0", "old"}}));
    QFile file(storeFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    // A plain file where the configuration folder should be: no folder, lock or temporary file
    // can be made there, not even by root.
    const QString blocked = home.filePath(QStringLiteral("not-a-folder"));
    QFile blocker(blocked);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    useConfigFolder(blocked);
    EXPECT_FALSE(store.save("Quorvel", "Url Info", {{"url0", "new"}, {"Title url0", "new"}}));

    useConfigFolder(home.path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_EQ(store.get("Quorvel", "Url Info", "url0", ""), "old");
}

TEST_F(QtSettingsStoreTest, ADamagedFileIsCopiedAsideOnceBeforeItIsRewritten) {
    QDir(home.path()).mkpath(QStringLiteral("Quorvel"));
    const QByteArray damaged = "; kept by hand\n[Url%20Info]\nurl0=mine\nurl0=\xff dup\n";
    QFile file(storeFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(damaged);
    file.close();

    ASSERT_TRUE(store.save("Quorvel", "Url Info", {{"url1", "new"}}));
    ASSERT_TRUE(store.save("Quorvel", "Url Info", {{"url1", "newer"}}));

    QFile copy(storeFile() + QStringLiteral(".damaged"));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), damaged);
    EXPECT_FALSE(QFile::exists(storeFile() + QStringLiteral(".damaged-2")));
    EXPECT_EQ(store.get("Quorvel", "Url Info", "url1", ""), "newer");
}

TEST_F(QtSettingsStoreTest, ACleanFileIsRewrittenWithoutACopy) {
    ASSERT_TRUE(store.save("Quorvel", "Url Info", {{"url0", "a"}}));
    QtSettingsStore nextRun;
    ASSERT_TRUE(nextRun.save("Quorvel", "Url Info", {{"url0", "b"}}));
    EXPECT_FALSE(QFile::exists(storeFile() + QStringLiteral(".damaged")));
}

}  // namespace
}  // namespace quorvel::runtime::qt
