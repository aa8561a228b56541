#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quorvel::runtime {

using SettingsEntries = std::vector<std::pair<std::string, std::string>>;

// The per-user store, addressed by application, section and key.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    // The stored value, or fallback when nothing is stored under the key.
    virtual std::string get(const std::string& application, const std::string& section,
                            const std::string& key, const std::string& fallback) = 0;
    // Writes all entries, in order, as one commit: either all of them reach the store or none
    // does. Returns false when the store could not be written.
    virtual bool save(const std::string& application, const std::string& section,
                      const SettingsEntries& entries) = 0;
};

}  // namespace quorvel::runtime
