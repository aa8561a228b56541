// SPDX-License-Identifier: MIT
#pragma once

#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <cstddef>
#include <functional>
#include <memory>

#include "runtime/settings_store.h"

namespace quorvel::runtime::qt {

// QSettings in INI format: the file Quorvel/<application>.ini in the user's configuration folder
// (XDG_CONFIG_HOME or ~/.config, as the environment is at each load and save), one group per
// section. Only a regular file of at most kMaxStoreBytes is read, and never in place: QSettings
// parses a private copy, so a FIFO, a device or a huge file cannot stall the program. A save
// takes QSettings' lock file (never waiting long), merges this copy's changes into the file as
// it is now, and replaces the file by a new one written whole, synced, renamed into place,
// then the folder synced. The file and a folder it makes are its owner's only.
class QtSettingsStore final : public SettingsStore {
  public:
    // Far above five bookmarks, and small enough that a save stays quick.
    static constexpr std::size_t kMaxStoreBytes = 2u << 20;

    std::string get(const std::string& application, const std::string& section,
                    const std::string& key, const std::string& fallback) override;
    SaveOutcome save(const std::string& application, const std::string& section,
                     const SettingsEntries& entries,
                     const std::vector<std::string>& changed) override;

    // Asked while a save waits for another copy's lock: true gives the wait up (the program is
    // being ended and must not be held).
    void setGiveUpWhen(std::function<bool()> giveUp) { giveUp_ = std::move(giveUp); }

  private:
    // Before the first write of a run: a file that a rewrite would not keep whole (hand-edited,
    // damaged) is first copied aside, so nothing of it is lost unseen. Empty, or why that copy
    // could not be made.
    QString keepDamagedFile(const QString& path, const QByteArray& content);

    std::function<bool()> giveUp_;
    // One reader for all gets, so that a load sees one version of the file, not a mix of two.
    std::unique_ptr<QTemporaryDir> readerCopy_;
    std::unique_ptr<QSettings> reader_;
    QString readerApplication_;
    bool checkedFile_ = false;
};

}  // namespace quorvel::runtime::qt
