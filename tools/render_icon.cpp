// Renders the scalable icon to square PNGs for icon themes that want fixed sizes:
//   render_icon SOURCE.svg OUTPUT_DIR SIZE...   writes OUTPUT_DIR/SIZExSIZE/apps/quorvel.png
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("usage: render_icon SOURCE.svg OUTPUT_DIR SIZE...\n", stderr);
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
    for (int i = 3; i < argc; ++i) {
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
        if (!output.mkpath(folder) || !image.save(output.filePath(folder + "/quorvel.png"))) {
            std::fprintf(stderr, "render_icon: cannot write size %d\n", size);
            return 1;
        }
    }
    return 0;
}
