// SPDX-License-Identifier: MIT
// Reads or writes a store file through QSettings, the way the program does, so that the
// scenarios see the values the program would see.
//   quorvel_store_probe dump FILE
//       "status N" (QSettings::Status), then one line per key:
//       "K <base64 key> <sha256 of the value as UTF-8> <bytes> <base64 of its first 256 bytes>"
//       A list value (unquoted commas) is joined with ", ", as the program reads it.
//   quorvel_store_probe write FILE   (stdin: "KEY<TAB>BASE64 VALUE" lines; KEY like "Url
//   Info/url0")
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QSettings>
#include <QStringList>
#include <cstdio>

namespace {

QByteArray asProgramReads(const QVariant& value) {
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QStringLiteral(", ")).toUtf8();
    }
    return value.toString().toUtf8();
}

int dump(const QString& path) {
    if (!QFile::exists(path)) {
        std::fprintf(stderr, "no such file: %s\n", qPrintable(path));
        return 2;
    }
    QSettings settings(path, QSettings::IniFormat);
    const QStringList keys = settings.allKeys();
    std::printf("status %d\n", static_cast<int>(settings.status()));
    for (const QString& key : keys) {
        const QByteArray value = asProgramReads(settings.value(key));
        std::printf("K %s %s %lld %s\n", key.toUtf8().toBase64().constData(),
                    QCryptographicHash::hash(value, QCryptographicHash::Sha256).toHex().constData(),
                    static_cast<long long>(value.size()), value.left(256).toBase64().constData());
    }
    return 0;
}

int write(const QString& path) {
    QSettings settings(path, QSettings::IniFormat);
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) {
        return 2;
    }
    while (!in.atEnd()) {
        QByteArray line = in.readLine();
        if (line.endsWith('\n')) {
            line.chop(1);
        }
        const qsizetype tab = line.indexOf('\t');
        if (tab <= 0) {
            continue;
        }
        settings.setValue(QString::fromUtf8(line.left(tab)),
                          QString::fromUtf8(QByteArray::fromBase64(line.mid(tab + 1))));
    }
    settings.sync();
    return settings.status() == QSettings::NoError ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 3 && args[1] == QLatin1String("dump")) {
        return dump(args[2]);
    }
    if (args.size() == 3 && args[1] == QLatin1String("write")) {
        return write(args[2]);
    }
    std::fprintf(stderr, "usage: quorvel_store_probe dump|write FILE\n");
    return 2;
}
