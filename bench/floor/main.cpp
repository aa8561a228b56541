// The floor: what any Qt 6 Widgets tray program pays for an SVG icon, a tooltip and a
// ten-entry menu. Nothing else, so that the gap to Quorvel is Quorvel's own.
#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

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

    QSystemTrayIcon icon(QIcon(QStringLiteral(":/icons/quorvel.svg")));
    icon.setToolTip(QStringLiteral("Quorvel"));
    icon.setContextMenu(&menu);
    icon.show();
    return QApplication::exec();
}
