#include "runtime/qt/qt_shell.h"

#include <QProcess>

#include "runtime/qt/qt_text.h"

namespace quorvel::runtime::qt {

void QtShell::open(const std::string& target) {
    QProcess::startDetached(opener_, {toQt(target)});
}

}  // namespace quorvel::runtime::qt
