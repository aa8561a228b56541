// SPDX-License-Identifier: MIT
#include "runtime/win32/win32_settings_store.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "runtime/win32/win32_text.h"

namespace quorvel::runtime::win32 {

namespace {

class Key {
  public:
    Key() = default;
    explicit Key(HKEY key) : key_(key) {}
    Key(Key&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    Key& operator=(Key&& other) noexcept {
        std::swap(key_, other.key_);
        return *this;
    }
    ~Key() {
        if (key_ != nullptr) {
            RegCloseKey(key_);
        }
    }
    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }

  private:
    HKEY key_ = nullptr;
};

Key openKey(HKEY parent, const std::wstring& path, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, path.c_str(), 0, access, &key) != ERROR_SUCCESS) {
        return Key();
    }
    return Key(key);
}

std::wstring applicationPath(const std::string& application) {
    return L"Software\\" + widen(application);
}

std::wstring stagingName(const std::wstring& section) {
    return section + Win32SettingsStore::kStagingSuffix;
}

struct Value {
    std::wstring name;
    DWORD type;
    std::vector<BYTE> data;
};

std::optional<std::vector<Value>> readValues(HKEY key) {
    DWORD count = 0;
    DWORD longestName = 0;
    DWORD longestData = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::vector<Value> values;
    for (DWORD i = 0; i < count; ++i) {
        std::wstring name(longestName + 1, L'\0');
        std::vector<BYTE> data(longestData);
        DWORD nameLength = longestName + 1;
        DWORD dataSize = longestData;
        DWORD type = 0;
        if (RegEnumValueW(key, i, name.data(), &nameLength, nullptr, &type, data.data(),
                          &dataSize) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        name.resize(nameLength);
        data.resize(dataSize);
        values.push_back({std::move(name), type, std::move(data)});
    }
    return values;
}

bool committedFlag(HKEY application, const std::wstring& section) {
    DWORD flag = 0;
    DWORD size = sizeof(flag);
    return RegGetValueW(application, nullptr, stagingName(section).c_str(), RRF_RT_REG_DWORD,
                        nullptr, &flag, &size) == ERROR_SUCCESS &&
           flag != 0;
}

bool keyExists(HKEY parent, const std::wstring& path) {
    return static_cast<bool>(openKey(parent, path, KEY_READ));
}

// The section that holds the committed table now.
std::wstring committedTable(HKEY application, const std::wstring& section) {
    if (committedFlag(application, section) && keyExists(application, stagingName(section))) {
        return stagingName(section);
    }
    return section;
}

std::optional<std::wstring> readString(HKEY table, const std::wstring& name) {
    constexpr DWORD kFlags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        if (RegGetValueW(table, nullptr, name.c_str(), kFlags, nullptr, nullptr, &size) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        const LSTATUS status =
            RegGetValueW(table, nullptr, name.c_str(), kFlags, nullptr, text.data(), &got);
        if (status == ERROR_MORE_DATA) {
            continue;  // grew in between
        }
        if (status != ERROR_SUCCESS) {
            return std::nullopt;
        }
        text.resize(got / sizeof(wchar_t));
        while (!text.empty() && text.back() == L'\0') {
            text.pop_back();
        }
        return text;
    }
    return std::nullopt;
}

// One save at a time across the copies of the program in this session.
class SaveMutex {
  public:
    explicit SaveMutex(const std::string& application)
        : mutex_(CreateMutexW(nullptr, FALSE,
                              (L"Local\\Quorvel.store." + widen(application)).c_str())) {
        if (mutex_ != nullptr) {
            // Abandoned: its holder died; the staging scheme copes with what it left.
            const DWORD waited = WaitForSingleObject(mutex_, kWaitMs);
            held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
        }
    }
    ~SaveMutex() {
        if (held_) {
            ReleaseMutex(mutex_);
        }
        if (mutex_ != nullptr) {
            CloseHandle(mutex_);
        }
    }
    SaveMutex(const SaveMutex&) = delete;
    SaveMutex& operator=(const SaveMutex&) = delete;
    bool held() const { return held_; }

    // Never longer than this in the message loop for another copy's save.
    static constexpr DWORD kWaitMs = 1800;

  private:
    HANDLE mutex_;
    bool held_ = false;
};

std::string systemReason(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason = length > 0 && text != nullptr ? std::wstring(text, length)
                                                        : L"error " + std::to_wstring(code);
    LocalFree(text);
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r')) {
        reason.pop_back();
    }
    return narrow(reason);
}

}  // namespace

std::string Win32SettingsStore::get(const std::string& application, const std::string& section,
                                    const std::string& key, const std::string& fallback) {
    const Key app = openKey(HKEY_CURRENT_USER, applicationPath(application), KEY_READ);
    if (!app) {
        return fallback;
    }
    const std::wstring sectionName = widen(section);
    std::optional<std::wstring> value;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::wstring name = committedTable(app.get(), sectionName);
        if (const Key table = openKey(app.get(), name, KEY_READ)) {
            value = readString(table.get(), widen(key));
        }
        // A save that finished meanwhile may have emptied the staging key; the section holds
        // the whole table by the time the flag is gone.
        if (name == sectionName || committedFlag(app.get(), sectionName)) {
            break;
        }
        value.reset();
    }
    return value ? narrow(*value) : fallback;
}

SaveOutcome Win32SettingsStore::save(const std::string& application, const std::string& section,
                                     const SettingsEntries& entries,
                                     const std::vector<std::string>& changed) {
    const std::string where = "HKEY_CURRENT_USER\\Software\\" + application + "\\" + section;
    const SaveMutex mutex(application);
    if (!mutex.held()) {
        return {false,
                where + ": another copy of the program has been saving for more than " +
                    std::to_string(SaveMutex::kWaitMs) + " ms",
                {}};
    }
    SettingsEntries stored;
    SetLastError(ERROR_SUCCESS);
    if (!write(application, section, entries, changed, stored)) {
        const DWORD code = GetLastError();
        return {false,
                where + ": " + (code != ERROR_SUCCESS ? systemReason(code) : "cannot be written"),
                {}};
    }
    return {true, {}, std::move(stored)};
}

bool Win32SettingsStore::write(const std::string& application, const std::string& section,
                               const SettingsEntries& entries,
                               const std::vector<std::string>& changed, SettingsEntries& stored) {
    const std::wstring sectionName = widen(section);
    const std::wstring staging = stagingName(sectionName);

    HKEY raw = nullptr;
    if (const LSTATUS status = changes_.createKey(
            HKEY_CURRENT_USER, applicationPath(application).c_str(), KEY_READ | KEY_WRITE, &raw);
        status != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(status));
        return false;
    }
    const Key app(raw);
    // A committed save that was cut short is completed first, so that its table is the old one.
    if (!finishCommitted(app.get(), sectionName)) {
        return false;
    }
    // An uncommitted staging table is what a failed or interrupted save left: nobody reads it.
    if (keyExists(app.get(), staging) &&
        changes_.deleteTree(app.get(), staging.c_str()) != ERROR_SUCCESS) {
        return false;
    }

    const auto abandon = [&] {
        const DWORD reason = GetLastError();
        changes_.deleteTree(app.get(), staging.c_str());
        SetLastError(reason);
        return false;
    };
    raw = nullptr;
    if (changes_.createKey(app.get(), staging.c_str(), KEY_WRITE, &raw) != ERROR_SUCCESS) {
        return abandon();
    }
    const Key stage(raw);
    const Key current = openKey(app.get(), sectionName, KEY_READ);
    // The section's other values come along, so that the table stays whole.
    if (current) {
        const auto values = readValues(current.get());
        if (!values) {
            return abandon();
        }
        for (const Value& value : *values) {
            if (changes_.setValue(stage.get(), value.name.c_str(), value.type, value.data.data(),
                                  static_cast<DWORD>(value.data.size())) != ERROR_SUCCESS) {
                return abandon();
            }
        }
    }
    for (const auto& [name, text] : entries) {
        // Another copy's value, for a key this copy has not changed, stays (it came along).
        if (std::find(changed.begin(), changed.end(), name) == changed.end() && current) {
            if (const auto held = readString(current.get(), widen(name))) {
                stored.emplace_back(name, narrow(*held));
                continue;
            }
        }
        const std::wstring wide = widen(text);
        if (const LSTATUS status =
                changes_.setValue(stage.get(), widen(name).c_str(), REG_SZ,
                                  reinterpret_cast<const BYTE*>(wide.c_str()),
                                  static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
            status != ERROR_SUCCESS) {
            SetLastError(static_cast<DWORD>(status));
            return abandon();
        }
        stored.emplace_back(name, text);
    }
    // On disk before the flag that makes it the table.
    RegFlushKey(stage.get());

    const DWORD committed = 1;
    if (changes_.setValue(app.get(), staging.c_str(), REG_DWORD,
                          reinterpret_cast<const BYTE*>(&committed),
                          sizeof(committed)) != ERROR_SUCCESS) {
        return abandon();
    }
    RegFlushKey(app.get());
    // Committed: if copying it over the section fails now, readers still get this table from
    // the staging key and the next save completes the copy.
    finishCommitted(app.get(), sectionName);
    return true;
}

bool Win32SettingsStore::finishCommitted(HKEY application, const std::wstring& section) {
    if (!committedFlag(application, section)) {
        return true;
    }
    const std::wstring staging = stagingName(section);
    if (const Key stage = openKey(application, staging, KEY_READ)) {
        const auto values = readValues(stage.get());
        if (!values) {
            return false;
        }
        HKEY raw = nullptr;
        if (changes_.createKey(application, section.c_str(), KEY_WRITE, &raw) != ERROR_SUCCESS) {
            return false;
        }
        const Key target(raw);
        for (const Value& value : *values) {
            if (changes_.setValue(target.get(), value.name.c_str(), value.type, value.data.data(),
                                  static_cast<DWORD>(value.data.size())) != ERROR_SUCCESS) {
                return false;
            }
        }
        RegFlushKey(target.get());
    }
    // The section holds the table now: the flag goes first, then the staging copy.
    if (changes_.deleteValue(application, staging.c_str()) != ERROR_SUCCESS) {
        return false;
    }
    changes_.deleteTree(application, staging.c_str());
    return true;
}

}  // namespace quorvel::runtime::win32
