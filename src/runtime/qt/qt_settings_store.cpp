#include "runtime/qt/qt_settings_store.h"

#include <QFile>
#include <QSettings>
#include <QStringList>
#include <cstdio>

#include "runtime/qt/qt_text.h"
#include "runtime/qt/store_file_check.h"

namespace quorvel::runtime::qt {

namespace {

const QString kOrganisation = QStringLiteral("Quorvel");

}  // namespace

std::string QtSettingsStore::get(const std::string& application, const std::string& section,
                                 const std::string& key, const std::string& fallback) {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, kOrganisation,
                       toQt(application));
    settings.beginGroup(toQt(section));
    const QVariant value = settings.value(toQt(key));
    if (!value.isValid()) {
        return fallback;
    }
    // An unquoted value with commas, written by hand, reads back as a list.
    if (value.typeId() == QMetaType::QStringList) {
        return fromQt(value.toStringList().join(QStringLiteral(", ")));
    }
    return fromQt(value.toString());
}

bool QtSettingsStore::save(const std::string& application, const std::string& section,
                           const SettingsEntries& entries) {
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, kOrganisation,
                       toQt(application));
    keepDamagedFile(settings.fileName());
    settings.beginGroup(toQt(section));
    for (const auto& [key, value] : entries) {
        settings.setValue(toQt(key), toQt(value));
    }
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

void QtSettingsStore::keepDamagedFile(const QString& path) {
    if (checkedFile_) {
        return;
    }
    checkedFile_ = true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return;
    }
    if (survivesRewrite(file.readAll())) {
        return;
    }
    QString copy = path + QStringLiteral(".damaged");
    for (int n = 2; QFile::exists(copy); ++n) {
        copy = path + QStringLiteral(".damaged-%1").arg(n);
    }
    if (QFile::copy(path, copy)) {
        std::fprintf(stderr, "quorvel: %s had content a rewrite would drop; it was kept as %s\n",
                     qPrintable(path), qPrintable(copy));
    }
}

}  // namespace quorvel::runtime::qt
