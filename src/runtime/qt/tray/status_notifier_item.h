// SPDX-License-Identifier: MIT
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

#include "runtime/qt/tray/dbus_menu_exporter.h"
#include "runtime/qt/tray/dbus_tray_types.h"
#include "runtime/qt/tray/installed_icon_theme.h"

namespace quorvel::runtime::qt {

inline const QString kStatusNotifierWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

// The icon's images for a StatusNotifier host, at the sizes panels commonly draw.
SniPixmaps sniPixmaps(const QIcon& icon);

// One icon as an org.kde.StatusNotifierItem (dbus/org.kde.StatusNotifierItem.xml) with its menu
// exported for the host to draw, on a connection of its own: leaving the bus, when destroyed,
// removes it from every host. Registers with the watcher by the connection's unique name, and
// again (a few times at most) when a while later the watcher does not list it or no host has
// read it. Presses arrive as mouse messages (left press: Activate). The icon goes as pictures
// always, and also by name where it is installed in a theme.
class StatusNotifierItem final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ title)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconName READ iconName)
    Q_PROPERTY(QString IconThemePath READ iconThemePath)
    Q_PROPERTY(quorvel::runtime::qt::SniPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ none)
    Q_PROPERTY(quorvel::runtime::qt::SniPixmaps OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ none)
    Q_PROPERTY(quorvel::runtime::qt::SniPixmaps AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ none)
    Q_PROPERTY(quorvel::runtime::qt::SniToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menuPath)

  public:
    static constexpr int kConfirmMilliseconds = 3000;
    static constexpr int kMostRegistrations = 4;

    // `connection` is the item's own: it is disconnected when the item goes.
    StatusNotifierItem(QDBusConnection connection, const QIcon& icon, QString tip, QMenu& menu,
                       std::uint32_t id, std::function<void(std::uint32_t mouseMessage)> onMouse,
                       ThemedIcon themed = {});
    ~StatusNotifierItem() override;
    StatusNotifierItem(const StatusNotifierItem&) = delete;
    StatusNotifierItem& operator=(const StatusNotifierItem&) = delete;

    // The properties; reading one tells that a host has taken the item.
    QString category();
    QString title();
    QString status();
    int windowId();
    QString none();
    QString iconName();
    QString iconThemePath();
    SniPixmaps iconPixmap();
    SniPixmaps noPixmaps();
    SniToolTip toolTip();
    bool itemIsMenu();
    QDBusObjectPath menuPath();

    // The interface's methods, called by the generated adaptor.
    void ContextMenu(int x, int y);
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void Scroll(int delta, const QString& orientation);
    void ProvideXdgActivationToken(const QString& token);

    // How many times it has registered with the watcher.
    int registrations() const { return registrations_; }

  private:
    void press(std::uint32_t mouseMessage);
    void registerWithWatcher();
    // Registers again unless the watcher lists the item and a host has read it.
    void confirmShown();

    QDBusConnection connection_;
    QString service_;
    QString tip_;
    SniPixmaps pixmaps_;
    ThemedIcon themed_;
    std::function<void(std::uint32_t)> onMouse_;
    std::unique_ptr<DBusMenuExporter> menu_;
    QTimer confirmation_;
    int registrations_ = 0;
    bool hostRead_ = false;
};

}  // namespace quorvel::runtime::qt
