// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QImage>

#include "runtime/handles.h"

namespace quorvel::runtime::qt {

inline constexpr IconHandle kProgramIcon = 1;

// The program's icon from the pictures rendered at build time (the hicolor sizes, 16 to 256
// pixels), so that no SVG engine is loaded at run time. Each size is read when first shown
// (icon.pixmap(QSize(n, n), 1.0) reads one).
// For the tray: every size, so it is sharp however large the tray draws it.
QIcon programIcon();
// For windows: up to 128 pixels, which window managers show; the 256 would make every window's
// icon property four times larger.
QIcon programWindowIcon();
QIcon iconFor(IconHandle handle);
// One size of an icon, at one device pixel per pixel, in the format a protocol wants.
QImage iconImage(const QIcon& icon, int size, QImage::Format format);

}  // namespace quorvel::runtime::qt
