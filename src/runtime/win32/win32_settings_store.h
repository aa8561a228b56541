// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/win32/win32_api.h"

#include <string>
#include <vector>

#include "runtime/settings_store.h"
#include "runtime/win32/win32_registry_changes.h"

namespace quorvel::runtime::win32 {

// The registry: HKCU\Software\<application>\<section>, one REG_SZ value per key.
//
// A save is all or nothing without registry transactions (which Wine does not keep) and
// without renaming keys: the new table, the section's other values included, is first written
// whole to the staging key "<section>.saving"; setting the value "<section>.saving" of the
// application key commits it. Readers take the table from the staging key while that flag is
// set, so they see the old table before the commit and the new one after. Then the staging
// table is copied over the section and the flag and staging key are removed. A save that
// fails before the commit leaves the section as it was; a crash after it leaves a committed
// table that the next save finishes copying. Saves of all copies run one at a time under a
// named mutex, so that each one merges its changes into the table the last one left.
class Win32SettingsStore final : public SettingsStore {
  public:
    Win32SettingsStore() : Win32SettingsStore(RegistryChanges::system()) {}
    explicit Win32SettingsStore(RegistryChanges& changes) : changes_(changes) {}

    std::string get(const std::string& application, const std::string& section,
                    const std::string& key, const std::string& fallback) override;
    SaveOutcome save(const std::string& application, const std::string& section,
                     const SettingsEntries& entries,
                     const std::vector<std::string>& changed) override;

    static constexpr const wchar_t* kStagingSuffix = L".saving";

  private:
    bool finishCommitted(HKEY application, const std::wstring& section);
    bool write(const std::string& application, const std::string& section,
               const SettingsEntries& entries, const std::vector<std::string>& changed,
               SettingsEntries& stored);

    RegistryChanges& changes_;
};

}  // namespace quorvel::runtime::win32
