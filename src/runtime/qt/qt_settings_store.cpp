#include "runtime/qt/qt_settings_store.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>

#include "runtime/qt/qt_text.h"
#include "runtime/qt/store_file_check.h"

namespace quorvel::runtime::qt {

namespace {

const QString kOrganisation = QStringLiteral("Quorvel");

QString readValue(QSettings& settings, const QString& key, bool* found) {
    const QVariant value = settings.value(key);
    *found = value.isValid();
    // An unquoted value with commas, written by hand, reads back as a list.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QStringLiteral(", "));
    }
    return value.toString();
}

}  // namespace

std::string QtSettingsStore::get(const std::string& application, const std::string& section,
                                 const std::string& key, const std::string& fallback) {
    if (!reader_ || readerApplication_ != toQt(application)) {
        readerApplication_ = toQt(application);
        reader_ = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                              kOrganisation, readerApplication_);
    }
    bool found = false;
    const QString value = readValue(*reader_, toQt(section) + QLatin1Char('/') + toQt(key), &found);
    return found ? fromQt(value) : fallback;
}

bool QtSettingsStore::save(const std::string& application, const std::string& section,
                           const SettingsEntries& entries) {
    reader_.reset();
    const QString group = toQt(section) + QLatin1Char('/');
    QString path;
    {
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, kOrganisation,
                           toQt(application));
        path = settings.fileName();
        if (!keepDamagedFile(path) || !keepPrevious(path)) {
            return false;
        }
        for (const auto& [key, value] : entries) {
            settings.setValue(group + toQt(key), toQt(value));
        }
        settings.sync();
        // A group that cannot be parsed is reported as a format error; the write itself went
        // through.
        if (settings.status() == QSettings::AccessError) {
            QFile::remove(previousOf(path));
            return false;
        }
    }
    if (!readsBack(path, group, entries)) {
        restorePrevious(path);
        return false;
    }
    QFile::remove(previousOf(path));
    return true;
}

bool QtSettingsStore::readsBack(const QString& path, const QString& group,
                                const SettingsEntries& entries) {
    // A full disk can end a write short without QSettings noticing: read it back, from a copy
    // at a path of its own, since QSettings would answer for the same path from its cache.
    const QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("written.ini"));
    if (!dir.isValid() || !QFile::copy(path, copy)) {
        return false;
    }
    QSettings written(copy, QSettings::IniFormat);
    for (const auto& [key, value] : entries) {
        bool found = false;
        if (readValue(written, group + toQt(key), &found) != toQt(value) || !found) {
            return false;
        }
    }
    return true;
}

QString QtSettingsStore::previousOf(const QString& path) {
    return path + QStringLiteral(".previous");
}

bool QtSettingsStore::keepPrevious(const QString& path) {
    const QString previous = previousOf(path);
    QFile::remove(previous);
    // Nothing to keep yet, or a copy that is whole: anything else (a full disk) refuses the save.
    return !QFile::exists(path) ||
           (QFile::copy(path, previous) && QFileInfo(previous).size() == QFileInfo(path).size());
}

void QtSettingsStore::restorePrevious(const QString& path) {
    const QString previous = previousOf(path);
    if (QFile::exists(previous)) {
        // rename(2) replaces the damaged file in one step.
        std::rename(QFile::encodeName(previous).constData(), QFile::encodeName(path).constData());
    }
}

bool QtSettingsStore::keepDamagedFile(const QString& path) {
    if (checkedFile_) {
        return true;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || rewritesIdentically(file.readAll())) {
        checkedFile_ = true;
        return true;
    }
    QString copy = path + QStringLiteral(".damaged");
    for (int n = 2; QFile::exists(copy); ++n) {
        copy = path + QStringLiteral(".damaged-%1").arg(n);
    }
    if (!QFile::copy(path, copy)) {
        return false;
    }
    checkedFile_ = true;
    std::fprintf(stderr, "quorvel: %s had content a rewrite would drop; it was kept as %s\n",
                 qPrintable(path), qPrintable(copy));
    return true;
}

}  // namespace quorvel::runtime::qt
