// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quorvel::runtime {

using SettingsEntries = std::vector<std::pair<std::string, std::string>>;

// What a save did.
struct SaveOutcome {
    bool saved = false;
    // When not saved: what could not be written (a file, a key) and the system's reason.
    std::string failure;
    // When saved: the value now stored under each entry's key, in the entries' order.
    SettingsEntries stored;

    explicit operator bool() const { return saved; }
};

// The per-user store, addressed by application, section and key.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // The stored value, or fallback when nothing is stored under the key.
    virtual std::string get(const std::string& application, const std::string& section,
                            const std::string& key, const std::string& fallback) = 0;
    // Writes one value for every entry, in order, as one commit under the store's lock: either
    // all of them reach the store or none does. An entry whose key is in `changed`, or that the
    // store holds no value for, is written as given; any other keeps the value the store holds
    // at that moment (another copy of the program may have written it since it was read).
    virtual SaveOutcome save(const std::string& application, const std::string& section,
                             const SettingsEntries& entries,
                             const std::vector<std::string>& changed) = 0;
};

}  // namespace quorvel::runtime
