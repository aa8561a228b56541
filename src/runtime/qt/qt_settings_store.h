#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <memory>

#include "runtime/settings_store.h"

namespace quorvel::runtime::qt {

// QSettings in INI format, user scope, organisation "Quorvel": one file per application, one
// group per section. A save takes QSettings' lock file (never waiting long), merges this
// copy's changes into the file as it is now, and replaces the file by a new one written
// whole, synced, renamed into place, then the folder synced. The file and a folder it makes
// are its owner's only.
class QtSettingsStore final : public SettingsStore {
  public:
    std::string get(const std::string& application, const std::string& section,
                    const std::string& key, const std::string& fallback) override;
    SaveOutcome save(const std::string& application, const std::string& section,
                     const SettingsEntries& entries,
                     const std::vector<std::string>& changed) override;

  private:
    // Before the first write of a run: a file that a rewrite would not keep whole (hand-edited,
    // damaged) is first copied aside, so nothing of it is lost unseen. Empty, or why that copy
    // could not be made.
    QString keepDamagedFile(const QString& path, const QByteArray& content);

    // One reader for all gets, so that a load sees one version of the file, not a mix of two.
    std::unique_ptr<QSettings> reader_;
    QString readerApplication_;
    bool checkedFile_ = false;
};

}  // namespace quorvel::runtime::qt
