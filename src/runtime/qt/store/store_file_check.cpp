// SPDX-License-Identifier: MIT
#include "runtime/qt/store/store_file_check.h"

#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>

namespace quorvel::runtime::qt {

namespace {

// A value that QSettings reads only up to a ';' outside quotes (or one after a backslash).
bool cutAtSemicolon(QStringView value) {
    bool quoted = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char('\\') && i + 1 < value.size() && value[i + 1] != QLatin1Char(';')) {
            ++i;
        } else if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (c == QLatin1Char(';') && (!quoted || (i > 0 && value[i - 1] == '\\'))) {
            return true;
        }
    }
    return false;
}

// What QSettings skips or cuts when it reads the text, line by line; `keysRead` is how many
// keys it read from it, fewer than the text's "key=value" lines when a key is written twice.
QString dropsOnReading(const QByteArray& text, qsizetype keysRead) {
    if (text.contains('\0')) {
        return QStringLiteral("a NUL byte, where QSettings cuts the text");
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(text);
    if (utf8.hasError()) {
        return QStringLiteral("bytes that are not UTF-8");
    }
    // QSettings ends a line at CR as well as at LF.
    QString unified = decoded;
    unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QList<QStringView> lines = QStringView(unified).split(QLatin1Char('\n'));
    qsizetype keyLines = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i].toString();
        // A backslash at the end of a line continues its value on the next one.
        while (line.endsWith(QLatin1Char('\\')) && i + 1 < lines.size()) {
            line.chop(1);
            line += lines[++i];
        }
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('['))) {
            continue;
        }
        if (trimmed.startsWith(QLatin1Char(';'))) {
            return QStringLiteral("a comment line");
        }
        const qsizetype equals = trimmed.indexOf(QLatin1Char('='));
        if (equals < 0) {
            return QStringLiteral("a line without '='");
        }
        ++keyLines;
        if (cutAtSemicolon(QStringView(trimmed).mid(equals + 1))) {
            return QStringLiteral("a value cut at ';'");
        }
    }
    return keyLines == keysRead ? QString() : QStringLiteral("a key written twice");
}

// The text in a scratch file of its own, so that QSettings parses it afresh.
bool writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.flush();
}

}  // namespace

QMap<QString, QVariant> meaningOf(QSettings& settings) {
    QMap<QString, QVariant> meaning;
    for (const QString& key : settings.allKeys()) {
        meaning.insert(key, settings.value(key));
    }
    return meaning;
}

QString lossOnRewrite(const QByteArray& text) {
    if (text.isEmpty()) {
        return {};
    }
    const QTemporaryDir scratch;
    const QString original = scratch.filePath(QStringLiteral("original.ini"));
    const QString rewritten = scratch.filePath(QStringLiteral("rewritten.ini"));
    if (!scratch.isValid() || !writeFile(original, text)) {
        return QStringLiteral("no scratch file to check it in");
    }
    QMap<QString, QVariant> before;
    {
        QSettings settings(original, QSettings::IniFormat);
        before = meaningOf(settings);
        if (settings.status() == QSettings::FormatError) {
            return QStringLiteral("a line QSettings cannot read");
        }
        if (const QString dropped = dropsOnReading(text, before.size()); !dropped.isEmpty()) {
            return dropped;
        }
        // A change, written, then undone and written again: the file is QSettings' own
        // rewrite of the same content.
        const QString probe = QStringLiteral("quorvel-rewrite-probe");
        settings.setValue(probe, 1);
        settings.sync();
        settings.remove(probe);
        settings.sync();
        if (settings.status() != QSettings::NoError) {
            return QStringLiteral("no rewrite of it in a scratch file");
        }
    }
    QFile file(original);
    if (!file.open(QIODevice::ReadOnly) || !writeFile(rewritten, file.readAll())) {
        return QStringLiteral("no scratch file to check it in");
    }
    QSettings again(rewritten, QSettings::IniFormat);
    return meaningOf(again) == before ? QString() : QStringLiteral("a value a rewrite changes");
}

}  // namespace quorvel::runtime::qt
