#include "runtime/qt/qt_settings_store.h"

#include <QSettings>
#include <QStringList>

#include "runtime/qt/qt_text.h"

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
    settings.beginGroup(toQt(section));
    for (const auto& [key, value] : entries) {
        settings.setValue(toQt(key), toQt(value));
    }
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace quorvel::runtime::qt
