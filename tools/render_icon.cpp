// SPDX-License-Identifier: MIT
// Renders the scalable icon at fixed sizes: square PNGs for icon themes, and the same pictures
// as the program's resources read them, premultiplied ARGB words in this machine's byte order,
// so that showing one takes no image reader:
//   render_icon SOURCE.svg PNG_DIR PIXEL_DIR SIZE...
//   writes PNG_DIR/SIZExSIZE/apps/quorvel.png and PIXEL_DIR/SIZE.argb
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fputs("usage: render_icon SOURCE.svg PNG_DIR PIXEL_DIR SIZE...\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "render_icon: cannot read %s\n", argv[1]);
        return 1;
    }
    const QDir output(QString::fromLocal8Bit(argv[2]));
    const QDir pixels(QString::fromLocal8Bit(argv[3]));
    if (!pixels.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "render_icon: cannot make %s\n", argv[3]);
        return 1;
    }
    for (int i = 4; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        if (size <= 0) {
            std::fprintf(stderr, "render_icon: bad size %s\n", argv[i]);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        QFile raw(pixels.filePath(QStringLiteral("%1.argb").arg(size)));
        const auto bytes = static_cast<qint64>(image.sizeInBytes());
        if (!output.mkpath(folder) || !image.save(output.filePath(folder + "/quorvel.png")) ||
            !raw.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            raw.write(reinterpret_cast<const char*>(image.constBits()), bytes) != bytes) {
            std::fprintf(stderr, "render_icon: cannot write size %d\n", size);
            return 1;
        }
    }
    return 0;
}
