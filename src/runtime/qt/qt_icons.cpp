#include "runtime/qt/qt_icons.h"

namespace quorvel::runtime::qt {

QIcon programIcon() {
    return QIcon(QStringLiteral(":/icons/quorvel.svg"));
}

QIcon iconFor(IconHandle handle) {
    return handle == kProgramIcon ? programIcon() : QIcon();
}

}  // namespace quorvel::runtime::qt
