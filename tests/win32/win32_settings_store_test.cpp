// SPDX-License-Identifier: MIT
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "runtime/win32/win32_settings_store.h"
#include "runtime/win32/win32_text.h"
#include "win32_test_support.h"

namespace quorvel::runtime::win32 {
namespace {

constexpr const char* kSection = "Url Info";
constexpr const char* kOtherKey = "not the program's";

std::vector<std::string> keys() {
    std::vector<std::string> result;
    for (int i = 0; i < 5; ++i) {
        result.push_back("url" + std::to_string(i));
        result.push_back("Title url" + std::to_string(i));
    }
    return result;
}

// A save of entries that all count as this copy's changes.
SaveOutcome saveAll(Win32SettingsStore&& store, const std::string& application,
                    const SettingsEntries& entries) {
    std::vector<std::string> changed;
    for (const auto& [key, value] : entries) {
        changed.push_back(key);
    }
    return store.save(application, kSection, entries, changed);
}
SaveOutcome saveAll(Win32SettingsStore& store, const std::string& application,
                    const SettingsEntries& entries) {
    return saveAll(std::move(store), application, entries);
}

SettingsEntries table(const std::string& tag) {
    SettingsEntries entries;
    for (const auto& key : keys()) {
        entries.emplace_back(key, tag + " " + key + " 作者HP");
    }
    return entries;
}

// The registry with one change that fails: the Nth of those made through it. With `stopThere`
// none after it is made either, as if the program died at that point.
class FailingChanges final : public RegistryChanges {
  public:
    FailingChanges(int failingChange, bool stopThere)
        : failingChange_(failingChange), stopThere_(stopThere) {}

    // Whether the failing change was reached.
    bool hit() const { return hit_; }

    LSTATUS createKey(HKEY parent, const wchar_t* path, REGSAM access, HKEY* key) override {
        return allowed() ? RegistryChanges::createKey(parent, path, access, key) : kRefused;
    }
    LSTATUS setValue(HKEY key, const wchar_t* name, DWORD type, const BYTE* data,
                     DWORD size) override {
        return allowed() ? RegistryChanges::setValue(key, name, type, data, size) : kRefused;
    }
    LSTATUS deleteValue(HKEY key, const wchar_t* name) override {
        return allowed() ? RegistryChanges::deleteValue(key, name) : kRefused;
    }
    LSTATUS deleteTree(HKEY key, const wchar_t* path) override {
        return allowed() ? RegistryChanges::deleteTree(key, path) : kRefused;
    }

  private:
    static constexpr LSTATUS kRefused = ERROR_WRITE_FAULT;

    bool allowed() {
        if (++changes_ == failingChange_) {
            hit_ = true;
            return false;
        }
        return !(hit_ && stopThere_);
    }

    int failingChange_;
    bool stopThere_;
    int changes_ = 0;
    bool hit_ = false;
};

// Every test has an application key of its own under HKCU\Software, removed afterwards.
class Win32SettingsStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        application = std::string("QuorvelTest-") + test->name() + "-" +
                      std::to_string(GetCurrentProcessId());
        removeApplication();
    }
    void TearDown() override { removeApplication(); }

    void removeApplication() const {
        RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\" + widen(application)).c_str());
    }
    std::wstring sectionPath(const std::string& section = kSection) const {
        return L"Software\\" + widen(application) + L"\\" + widen(section);
    }
    // A value that someone else put into the section.
    void putOther(const std::wstring& text) const {
        RegSetKeyValueW(HKEY_CURRENT_USER, sectionPath().c_str(), widen(kOtherKey).c_str(), REG_SZ,
                        text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    // What a fresh reader sees: the ten keys and the other value, "<absent>" for nothing.
    std::map<std::string, std::string> read() const {
        Win32SettingsStore reader;
        std::map<std::string, std::string> seen;
        for (const auto& key : keys()) {
            seen[key] = reader.get(application, kSection, key, "<absent>");
        }
        seen[kOtherKey] = reader.get(application, kSection, kOtherKey, "<absent>");
        return seen;
    }
    static std::map<std::string, std::string> expected(const SettingsEntries& entries,
                                                       const std::string& other) {
        std::map<std::string, std::string> result(entries.begin(), entries.end());
        result[kOtherKey] = other;
        return result;
    }
    bool keyExists(const std::wstring& path) const {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(key);
        return true;
    }
    std::vector<std::wstring> valueNames(const std::wstring& path) const {
        std::vector<std::wstring> names;
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            return names;
        }
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            DWORD length = 256;
            if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS) {
                break;
            }
            names.emplace_back(name, length);
        }
        RegCloseKey(key);
        return names;
    }

    std::string application;
};

TEST_F(Win32SettingsStoreTest, AbsentKeysGiveTheFallbackAndSavedOnesComeBack) {
    Win32SettingsStore store;
    EXPECT_EQ(store.get(application, kSection, "url0", "fallback"), "fallback");
    const SettingsEntries entries = table("first");
    ASSERT_TRUE(saveAll(store, application, entries));
    for (const auto& [key, value] : entries) {
        EXPECT_EQ(store.get(application, kSection, key, "fallback"), value);
    }
    EXPECT_EQ(store.get(application, kSection, "url9", "fallback"), "fallback");
    EXPECT_EQ(store.get(application, "Other Section", "url0", "fallback"), "fallback");
    // The values are plain REG_SZ strings under HKCU\Software\<application>\<section>.
    wchar_t text[64] = {};
    DWORD size = sizeof(text);
    DWORD type = 0;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, sectionPath().c_str(), L"Title url3", RRF_RT_ANY,
                           &type, text, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(narrow(text), "first Title url3 作者HP");
    // Nothing of the save's own machinery is left behind.
    EXPECT_FALSE(keyExists(sectionPath(std::string(kSection) + ".saving")));
    EXPECT_THAT(valueNames(L"Software\\" + widen(application)), ::testing::IsEmpty());
}

TEST_F(Win32SettingsStoreTest, ASaveKeepsTheSectionsOtherValuesAndReplacesItsOwn) {
    Win32SettingsStore store;
    ASSERT_TRUE(saveAll(store, application, table("old")));
    putOther(L"他人の値");
    ASSERT_TRUE(saveAll(store, application, table("new")));
    EXPECT_EQ(read(), expected(table("new"), "他人の値"));
    EXPECT_EQ(valueNames(sectionPath()).size(), 11u);
}

TEST_F(Win32SettingsStoreTest, LongAndAwkwardValuesSurviveWhole) {
    Win32SettingsStore store;
    const std::string huge(70000, 'u');
    const std::string awkward = "  前後に空白 \"quoted\" \\back %PATH% ; # =  ";
    ASSERT_TRUE(
        saveAll(store, application, {{"url0", huge}, {"Title url0", awkward}, {"url1", ""}}));
    EXPECT_EQ(store.get(application, kSection, "url0", "x"), huge);
    EXPECT_EQ(store.get(application, kSection, "Title url0", "x"), awkward);
    EXPECT_EQ(store.get(application, kSection, "url1", "x"), "");
}

// A save that fails at any one of its registry changes: either it reports failure and the old
// table is what every reader sees, or the change came after the commit and the new table is.
TEST_F(Win32SettingsStoreTest, AFailedSaveLeavesTheOldTableOrCommitsTheNewOneWhole) {
    int failures = 0;
    int committedDespiteFailure = 0;
    for (int change = 1;; ++change) {
        ASSERT_LT(change, 200) << "the save never ran out of changes";
        removeApplication();
        ASSERT_TRUE(saveAll(Win32SettingsStore(), application, table("old")));
        putOther(L"kept");
        FailingChanges faults(change, false);
        const bool saved =
            static_cast<bool>(saveAll(Win32SettingsStore(faults), application, table("new")));
        if (!faults.hit()) {
            EXPECT_TRUE(saved);
            EXPECT_EQ(read(), expected(table("new"), "kept"));
            break;
        }
        SCOPED_TRACE("failing change " + std::to_string(change));
        EXPECT_EQ(read(), expected(table(saved ? "new" : "old"), "kept"));
        failures += saved ? 0 : 1;
        committedDespiteFailure += saved ? 1 : 0;
        // The next save works and cleans up.
        ASSERT_TRUE(saveAll(Win32SettingsStore(), application, table("next")));
        EXPECT_EQ(read(), expected(table("next"), "kept"));
        EXPECT_FALSE(keyExists(sectionPath(std::string(kSection) + ".saving")));
    }
    EXPECT_GT(failures, 10);
    EXPECT_GT(committedDespiteFailure, 0);
}

// The program dies at any point of a save: what it leaves is one whole table, old or new, for
// every reader, and the next run's save completes or discards what was begun.
TEST_F(Win32SettingsStoreTest, ASaveCutShortAnywhereLeavesOneWholeTable) {
    int old = 0;
    int completed = 0;
    for (int change = 1;; ++change) {
        ASSERT_LT(change, 200) << "the save never ran out of changes";
        removeApplication();
        ASSERT_TRUE(saveAll(Win32SettingsStore(), application, table("old")));
        putOther(L"kept");
        FailingChanges dying(change, true);
        saveAll(Win32SettingsStore(dying), application, table("new"));
        if (!dying.hit()) {
            break;
        }
        SCOPED_TRACE("cut at change " + std::to_string(change));
        const auto seen = read();
        const bool isNew = seen == expected(table("new"), "kept");
        EXPECT_TRUE(isNew || seen == expected(table("old"), "kept"));
        (isNew ? completed : old) += 1;
        ASSERT_TRUE(saveAll(Win32SettingsStore(), application, {{"url0", "after"}}));
        auto after = expected(table(isNew ? "new" : "old"), "kept");
        after["url0"] = "after";
        EXPECT_EQ(read(), after);
        EXPECT_FALSE(keyExists(sectionPath(std::string(kSection) + ".saving")));
    }
    EXPECT_GT(old, 10);
    EXPECT_GT(completed, 0);
}

TEST_F(Win32SettingsStoreTest, AValueOfAnotherTypeReadsAsAbsent) {
    ASSERT_TRUE(saveAll(Win32SettingsStore(), application, table("t")));
    const DWORD number = 7;
    RegSetKeyValueW(HKEY_CURRENT_USER, sectionPath().c_str(), L"url2", REG_DWORD, &number,
                    sizeof(number));
    EXPECT_EQ(Win32SettingsStore().get(application, kSection, "url2", "fallback"), "fallback");
}

TEST_F(Win32SettingsStoreTest, ASaveKeepsAnotherCopysValuesForKeysItDidNotChange) {
    ASSERT_TRUE(saveAll(Win32SettingsStore(), application, table("a")));
    const SaveOutcome outcome =
        Win32SettingsStore().save(application, kSection, table("b"), {"url1", "Title url1"});
    ASSERT_TRUE(outcome) << outcome.failure;
    SettingsEntries merged = table("a");
    for (auto& [key, value] : merged) {
        if (key == "url1" || key == "Title url1") {
            value = "b " + key + " 作者HP";
        }
    }
    EXPECT_EQ(outcome.stored, merged);
    EXPECT_EQ(read(), expected(merged, "<absent>"));
}

}  // namespace
}  // namespace quorvel::runtime::win32
