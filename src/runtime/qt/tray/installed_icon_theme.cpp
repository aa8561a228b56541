// SPDX-License-Identifier: MIT
#include "runtime/qt/tray/installed_icon_theme.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace quorvel::runtime::qt {

ThemedIcon installedThemedIcon(const QString& programDir, const QString& themeFromProgram) {
    const QString themes = QDir::cleanPath(QDir(programDir).filePath(themeFromProgram));
    // The file data/CMakeLists.txt installs, which a build tree or a portable folder lacks.
    if (!QFileInfo(themes + QStringLiteral("/hicolor/scalable/apps/quorvel.svg")).isFile()) {
        return {};
    }
    return {QStringLiteral("quorvel"), themes};
}

ThemedIcon installedThemedIcon() {
    return installedThemedIcon(QCoreApplication::applicationDirPath(),
                               QStringLiteral(QUORVEL_ICON_THEMES_FROM_PROGRAM));
}

}  // namespace quorvel::runtime::qt
