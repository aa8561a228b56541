#include "runtime/qt/store_file_check.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace quorvel::runtime::qt {

bool rewritesIdentically(const QByteArray& content) {
    const QTemporaryDir dir;
    if (!dir.isValid()) {
        return false;
    }
    const QString path = dir.filePath(QStringLiteral("probe.ini"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
            return false;
        }
    }
    {
        QSettings settings(path, QSettings::IniFormat);
        // A change, written, then undone and written again: the file is QSettings' own
        // rewrite of the same content.
        const QString probe = QStringLiteral("quorvel-rewrite-probe");
        settings.setValue(probe, 1);
        settings.sync();
        settings.remove(probe);
        settings.sync();
        if (settings.status() != QSettings::NoError) {
            return false;
        }
    }
    QFile rewritten(path);
    return rewritten.open(QIODevice::ReadOnly) && rewritten.readAll() == content;
}

}  // namespace quorvel::runtime::qt
