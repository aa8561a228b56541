// SPDX-License-Identifier: MIT
// The floor: what any Qt 6 Widgets tray program pays for an icon, a tooltip and a ten-entry
// menu. Nothing else, so that the gap to Quorvel is Quorvel's own. The icon is painted in code:
// no image file, no image or icon engine plugin.
#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace {

// A blue disc with a light ring, at the size a tray asks for most.
QIcon paintedIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0xdd, 0xee, 0xff), 3));
    painter.setBrush(QColor(0x1f, 0x5f, 0xbf));
    painter.drawEllipse(QRectF(2.5, 2.5, 27, 27));
    painter.end();
    return QIcon(pixmap);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    // The titles scripts/bench writes into Quorvel's settings, so both menus lay out the same text.
    QMenu menu;
    for (const char* title : {"作者HP", "ニュース", "天気予報", "地図", "辞書"}) {
        menu.addAction(QString::fromUtf8(title));
    }
    menu.addSeparator();
    menu.addAction(QStringLiteral("URL編集"));
    menu.addAction(QStringLiteral("ヘルプ"));
    menu.addSeparator();
    QObject::connect(menu.addAction(QStringLiteral("終了")), &QAction::triggered, &app,
                     &QCoreApplication::quit);

    QSystemTrayIcon icon(paintedIcon());
    icon.setToolTip(QStringLiteral("Quorvel"));
    icon.setContextMenu(&menu);
    icon.show();
    return QApplication::exec();
}
