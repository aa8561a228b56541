#pragma once

#include <QIcon>

#include "runtime/handles.h"

namespace quorvel::runtime::qt {

inline constexpr IconHandle kProgramIcon = 1;

// The program's one icon, scalable, drawn at whatever size the tray or window asks for.
QIcon programIcon();
QIcon iconFor(IconHandle handle);

}  // namespace quorvel::runtime::qt
