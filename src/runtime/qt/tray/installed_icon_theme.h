// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace quorvel::runtime::qt {

// The program's icon as an installed icon theme holds it, for hosts that draw icons by name
// (sharp at any scale); both empty where it is not installed, and hosts use the pictures.
struct ThemedIcon {
    QString name;
    QString themePath;  // the folder that holds hicolor/
};

// `themeFromProgram` leads from the program folder to the icon themes' folder; the name is
// given only when the hicolor icon is really there.
ThemedIcon installedThemedIcon(const QString& programDir, const QString& themeFromProgram);
// The same for this executable's folder, as the install lays it out.
ThemedIcon installedThemedIcon();

}  // namespace quorvel::runtime::qt
