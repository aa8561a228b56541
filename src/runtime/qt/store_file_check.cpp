#include "runtime/qt/store_file_check.h"

#include <QSet>
#include <QStringDecoder>

namespace quorvel::runtime::qt {

bool survivesRewrite(const QByteArray& content) {
    if (content.contains('\0')) {
        return false;
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(content);
    if (decoder.hasError()) {
        return false;
    }
    QSet<QString> keys;
    QString section;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.isEmpty()) {
            continue;
        }
        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']'))) {
                return false;
            }
            section = line;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            return false;
        }
        const QString key = section + QLatin1Char('\n') + line.left(equals).trimmed();
        if (keys.contains(key)) {
            return false;
        }
        keys.insert(key);
    }
    return true;
}

}  // namespace quorvel::runtime::qt
