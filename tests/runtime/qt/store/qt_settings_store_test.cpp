// SPDX-License-Identifier: MIT
#include "runtime/qt/store/qt_settings_store.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
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
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder));
    }
    QString storeFile() const { return home.filePath(QStringLiteral("Quorvel/Quorvel.ini")); }
    // A save of entries that all count as changed by this copy.
    static SaveOutcome saveChanged(QtSettingsStore& into, const std::string& section,
                                   const SettingsEntries& entries) {
        std::vector<std::string> keys;
        for (const auto& [key, value] : entries) {
            keys.push_back(key);
        }
        return into.save("Quorvel", section, entries, keys);
    }

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
    ASSERT_TRUE(saveChanged(store, "Url Info", entries));
    for (const auto& [key, value] : entries) {
        EXPECT_EQ(store.get("Quorvel", "Url Info", key, "<default>"), value) << key;
    }
}

TEST_F(QtSettingsStoreTest, AMissingKeySectionOrFileGivesTheFallback) {
    EXPECT_EQ(store.get("Quorvel", "Url Info", "url0", "fallback"), "fallback");
    ASSERT_TRUE(saveChanged(store, "Other", {{"url0", "elsewhere"}}));
    EXPECT_EQ(store.get("Quorvel", "Url Info", "url0", "fallback"), "fallback");
    EXPECT_EQ(store.get("Quorvel", "Url Info", "url00", "fallback"), "fallback");
}

TEST_F(QtSettingsStoreTest, KeepsTheStoreInTheUsersIniFileUnderItsSection) {
    ASSERT_TRUE(saveChanged(store, "Url Info", {{"Title url0", "x"}, {"url0", "y"}}));
    QSettings direct(storeFile(), QSettings::IniFormat);
    EXPECT_EQ(direct.value(QStringLiteral("Url Info/Title url0")).toString(), QStringLiteral("x"));
    EXPECT_EQ(direct.value(QStringLiteral("Url Info/url0")).toString(), QStringLiteral("y"));
}

TEST_F(QtSettingsStoreTest, AStoreThatCannotBeWrittenReportsFailureAndKeepsItsContents) {
    ASSERT_TRUE(saveChanged(store, "Url Info", {{"url0", "old"}}));
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
    const SaveOutcome failed =
        saveChanged(store, "Url Info", {{"url0", "new"}, {"Title url0", "new"}});
    EXPECT_FALSE(failed);
    // The details name the folder and the system's reason.
    EXPECT_NE(failed.failure.find("not-a-folder/Quorvel"), std::string::npos) << failed.failure;
    EXPECT_NE(failed.failure.find("Not a directory"), std::string::npos) << failed.failure;

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

    ASSERT_TRUE(saveChanged(store, "Url Info", {{"url1", "new"}}));
    ASSERT_TRUE(saveChanged(store, "Url Info", {{"url1", "newer"}}));

    QFile copy(storeFile() + QStringLiteral(".damaged"));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), damaged);
    EXPECT_FALSE(QFile::exists(storeFile() + QStringLiteral(".damaged-2")));
    EXPECT_EQ(store.get("Quorvel", "Url Info", "url1", ""), "newer");
}

TEST_F(QtSettingsStoreTest, ACleanFileIsRewrittenWithoutACopy) {
    ASSERT_TRUE(saveChanged(store, "Url Info", {{"url0", "a"}}));
    QtSettingsStore nextRun;
    ASSERT_TRUE(saveChanged(nextRun, "Url Info", {{"url0", "b"}}));
    EXPECT_FALSE(QFile::exists(storeFile() + QStringLiteral(".damaged")));
}

mode_t modeOf(const QString& path) {
    struct stat status {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0) << path.toStdString();
    return status.st_mode & 07777;
}

TEST_F(QtSettingsStoreTest, TheStoreAndAFolderItMakesAreTheOwnersOnlyWhateverTheUmask) {
    const mode_t umaskBefore = ::umask(0);
    useConfigFolder(home.filePath(QStringLiteral("config")));  // missing: made by the save
    ASSERT_TRUE(saveChanged(store, "Url Info", {{"url0", "a"}}));
    const QString made = home.filePath(QStringLiteral("config/Quorvel"));
    EXPECT_EQ(modeOf(home.filePath(QStringLiteral("config"))), 0700u);
    EXPECT_EQ(modeOf(made), 0700u);
    EXPECT_EQ(modeOf(made + QStringLiteral("/Quorvel.ini")), 0600u);

    // A file others could read is rewritten for its owner only; a folder the program did not
    // make keeps its mode.
    useConfigFolder(home.path());
    QDir(home.path()).mkpath(QStringLiteral("Quorvel"));
    ASSERT_EQ(
        ::chmod(QFile::encodeName(home.filePath(QStringLiteral("Quorvel"))).constData(), 0755), 0);
    ASSERT_TRUE(saveChanged(store, "Url Info", {{"url0", "a"}}));
    ASSERT_EQ(::chmod(QFile::encodeName(storeFile()).constData(), 0644), 0);
    ASSERT_TRUE(saveChanged(store, "Url Info", {{"url0", "b"}}));
    EXPECT_EQ(modeOf(storeFile()), 0600u);
    EXPECT_EQ(modeOf(home.filePath(QStringLiteral("Quorvel"))), 0755u);
    ::umask(umaskBefore);
}

TEST_F(QtSettingsStoreTest, ASaveKeepsWhatAnotherCopyWroteForKeysItDidNotChange) {
    QtSettingsStore other;  // another copy of the program
    ASSERT_TRUE(saveChanged(other, "Url Info", {{"url0", "other 0"}, {"url1", "other 1"}}));
    const SaveOutcome outcome =
        store.save("Quorvel", "Url Info",
                   {{"url0", "mine 0"}, {"url1", "mine 1"}, {"url2", "mine 2"}}, {"url1"});
    ASSERT_TRUE(outcome);
    const SettingsEntries expected{{"url0", "other 0"}, {"url1", "mine 1"}, {"url2", "mine 2"}};
    EXPECT_EQ(outcome.stored, expected);
    for (const auto& [key, value] : expected) {
        EXPECT_EQ(QtSettingsStore().get("Quorvel", "Url Info", key, ""), value) << key;
    }
}

TEST_F(QtSettingsStoreTest, ALockOfALiveHolderIsNeverTakenAndNeverWaitedForLong) {
    ASSERT_TRUE(saveChanged(store, "Url Info", {{"url0", "old"}}));
    QLockFile holder(storeFile() + QStringLiteral(".lock"));
    ASSERT_TRUE(holder.tryLock(0));
    // Old enough for any stale time: only the holder's lock on the file keeps it.
    QFile lockFile(storeFile() + QStringLiteral(".lock"));
    ASSERT_TRUE(lockFile.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lockFile.setFileTime(QDateTime::currentDateTime().addSecs(-600),
                                     QFileDevice::FileModificationTime));
    lockFile.close();

    QElapsedTimer waited;
    waited.start();
    const SaveOutcome blocked = saveChanged(store, "Url Info", {{"url0", "new"}});
    EXPECT_FALSE(blocked);
    EXPECT_LT(waited.elapsed(), 2500);
    EXPECT_NE(blocked.failure.find("Quorvel.ini.lock: held by process " +
                                   std::to_string(QCoreApplication::applicationPid())),
              std::string::npos)
        << blocked.failure;
    EXPECT_EQ(QtSettingsStore().get("Quorvel", "Url Info", "url0", ""), "old");
    store.setGiveUpWhen([] { return true; });
    const SaveOutcome ending = saveChanged(store, "Url Info", {{"url0", "new"}});
    EXPECT_NE(ending.failure.find("while the program is ending"), std::string::npos)
        << ending.failure;
    store.setGiveUpWhen(nullptr);

    holder.unlock();
    EXPECT_TRUE(saveChanged(store, "Url Info", {{"url0", "new"}}));
}

TEST_F(QtSettingsStoreTest, AFreshEmptyLockFileIsJudgedStaleWithinTheShortWait) {
    QDir(home.path()).mkpath(QStringLiteral("Quorvel"));
    QFile empty(storeFile() + QStringLiteral(".lock"));  // its maker died before filling it
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    QElapsedTimer waited;
    waited.start();
    const SaveOutcome outcome = saveChanged(store, "Url Info", {{"url0", "saved"}});
    EXPECT_TRUE(outcome) << outcome.failure;
    EXPECT_LT(waited.elapsed(), 2500);
    EXPECT_FALSE(QFile::exists(storeFile() + QStringLiteral(".lock")));
    EXPECT_EQ(store.get("Quorvel", "Url Info", "url0", ""), "saved");
}

TEST_F(QtSettingsStoreTest, AStoreOrAnEditOverTheBoundIsRefused) {
    QDir(home.path()).mkpath(QStringLiteral("Quorvel"));
    QFile big(storeFile());
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(QtSettingsStore::kMaxStoreBytes + 1));
    big.close();
    EXPECT_EQ(QtSettingsStore().get("Quorvel", "Url Info", "url0", "fallback"), "fallback");
    EXPECT_FALSE(saveChanged(store, "Url Info", {{"url0", "x"}}));
    EXPECT_EQ(QFileInfo(storeFile()).size(), QtSettingsStore::kMaxStoreBytes + 1);
    ASSERT_TRUE(QFile::remove(storeFile()));
    // Refused before any work: more than a store takes.
    const SaveOutcome huge = saveChanged(
        store, "Url Info", {{"url0", std::string(QtSettingsStore::kMaxStoreBytes, 'x')}});
    EXPECT_NE(huge.failure.find("more than the"), std::string::npos) << huge.failure;
    EXPECT_TRUE(saveChanged(store, "Url Info", {{"url0", std::string(1 << 20, 'x')}}));
}

TEST_F(QtSettingsStoreTest, ARelativeConfigFolderIsIgnored) {
    const QByteArray homeBefore = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(home.path()));
    useConfigFolder(QStringLiteral("relative/config"));
    EXPECT_TRUE(saveChanged(store, "Url Info", {{"url0", "home"}}));
    EXPECT_TRUE(QFile::exists(home.filePath(QStringLiteral(".config/Quorvel/Quorvel.ini"))));
    qputenv("HOME", homeBefore);
}

}  // namespace
}  // namespace quorvel::runtime::qt
