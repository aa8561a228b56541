#pragma once

#include <QString>

#include "runtime/shell.h"

namespace quorvel::runtime::qt {

// The freedesktop opener, started detached with the target as its one argument; no shell sees
// the text, and the detached start leaves no child to reap.
class QtShell final : public Shell {
  public:
    explicit QtShell(QString opener = QStringLiteral("xdg-open")) : opener_(std::move(opener)) {}
    void open(const std::string& target) override;

  private:
    QString opener_;
};

}  // namespace quorvel::runtime::qt
