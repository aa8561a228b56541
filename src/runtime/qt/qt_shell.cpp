#include "runtime/qt/qt_shell.h"

#include <QProcess>

#include "runtime/qt/qt_text.h"

namespace quorvel::runtime::qt {

void QtShell::open(const std::string& target) {
    // An argument ends at a NUL: the opener would get a different, shorter text.
    if (target.find('\0') != std::string::npos) {
        return;
    }
    QProcess::startDetached(opener_, {toQt(target)});
}

}  // namespace quorvel::runtime::qt
