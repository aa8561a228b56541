#pragma once

#include <QByteArray>

namespace quorvel::runtime::qt {

// Whether QSettings, rewriting this INI text, would give back the very same bytes: if not, a
// save would drop or change something in it (comments, stray lines, duplicate keys, lists,
// bytes that are not UTF-8...).
bool rewritesIdentically(const QByteArray& content);

}  // namespace quorvel::runtime::qt
