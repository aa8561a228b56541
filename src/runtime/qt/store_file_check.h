#pragma once

#include <QByteArray>

namespace quorvel::runtime::qt {

// Whether rewriting this INI text through QSettings keeps everything in it: valid UTF-8 without
// NUL, and every line blank, a [section] or a key=value pair, no key twice in one section.
// Comments and stray lines would be dropped by a rewrite.
bool survivesRewrite(const QByteArray& content);

}  // namespace quorvel::runtime::qt
