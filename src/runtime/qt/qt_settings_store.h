#pragma once

#include <QString>

#include "runtime/settings_store.h"

namespace quorvel::runtime::qt {

// QSettings in INI format, user scope, organisation "Quorvel": one file per application, one
// group per section. A save goes through QSettings' lock file, temporary file and rename.
class QtSettingsStore final : public SettingsStore {
  public:
    std::string get(const std::string& application, const std::string& section,
                    const std::string& key, const std::string& fallback) override;
    bool save(const std::string& application, const std::string& section,
              const SettingsEntries& entries) override;

  private:
    // Before the first write of a run: a file that a rewrite would not keep whole (hand-edited,
    // damaged) is first copied aside, so nothing of it is lost unseen.
    void keepDamagedFile(const QString& path);

    bool checkedFile_ = false;
};

}  // namespace quorvel::runtime::qt
