// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QMap>
#include <QSettings>
#include <QString>
#include <QVariant>

namespace quorvel::runtime::qt {

// What QSettings reads from a file: every key, under its group, with its value.
QMap<QString, QVariant> meaningOf(QSettings& settings);

// What of this INI text a QSettings reading and rewriting would lose: a comment or a line it
// cannot read, a value cut at ';' or at a NUL, a key written twice, bytes that are not UTF-8,
// or anything whose meaning the rewrite would change. Empty when nothing is lost; quoting,
// escaping and order may differ.
QString lossOnRewrite(const QByteArray& text);

}  // namespace quorvel::runtime::qt
