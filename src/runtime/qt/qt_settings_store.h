#pragma once

#include <QSettings>
#include <QString>
#include <memory>

#include "runtime/settings_store.h"

namespace quorvel::runtime::qt {

// QSettings in INI format, user scope, organisation "Quorvel": one file per application, one
// group per section. A save goes through QSettings' lock file, temporary file and rename, and is
// read back before it counts.
class QtSettingsStore final : public SettingsStore {
  public:
    std::string get(const std::string& application, const std::string& section,
                    const std::string& key, const std::string& fallback) override;
    bool save(const std::string& application, const std::string& section,
              const SettingsEntries& entries) override;

  private:
    // Before the first write of a run: a file that a rewrite would not keep whole (hand-edited,
    // damaged) is first copied aside, so nothing of it is lost unseen. False when that copy
    // could not be made.
    bool keepDamagedFile(const QString& path);
    // The file as it was, until the new one has been read back whole: a full disk can end a
    // write short without QSettings noticing.
    static QString previousOf(const QString& path);
    static bool keepPrevious(const QString& path);
    static void restorePrevious(const QString& path);
    static bool readsBack(const QString& path, const QString& group,
                          const SettingsEntries& entries);

    // One reader for all gets, so that a load sees one version of the file, not a mix of two.
    std::unique_ptr<QSettings> reader_;
    QString readerApplication_;
    bool checkedFile_ = false;
};

}  // namespace quorvel::runtime::qt
