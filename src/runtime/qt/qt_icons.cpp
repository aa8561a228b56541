#include "runtime/qt/qt_icons.h"

namespace quorvel::runtime::qt {

QIcon programIcon() {
    // One icon for every window: each new QIcon of the SVG would render and cache its sizes anew.
    // Never destroyed, so it cannot outlive the application's pixmap cache.
    static const auto* const icon = new QIcon(QStringLiteral(":/icons/quorvel.svg"));
    return *icon;
}

QIcon iconFor(IconHandle handle) {
    return handle == kProgramIcon ? programIcon() : QIcon();
}

}  // namespace quorvel::runtime::qt
