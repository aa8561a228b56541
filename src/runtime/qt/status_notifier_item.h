#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QIcon>
#include <QMenu>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

#include "runtime/qt/dbus_menu_exporter.h"
#include "runtime/qt/dbus_tray_types.h"

namespace quorvel::runtime::qt {

// The icon's images for a StatusNotifier host, at the sizes panels commonly draw.
SniPixmaps sniPixmaps(const QIcon& icon);

// One icon as an org.kde.StatusNotifierItem on a session-bus connection of its own, with its
// menu exported for the host to draw. Registers with the watcher by the connection's unique name
// when made, and again (a few times at most) when a while later the watcher does not list it or
// no host has read its properties; leaves the bus, and so every host, when destroyed. Presses
// arrive as mouse messages (left press: Activate).
class StatusNotifierItem final : public QDBusVirtualObject {
  public:
    StatusNotifierItem(const QIcon& icon, QString tip, QMenu& menu, std::uint32_t id,
                       std::function<void(std::uint32_t mouseMessage)> onMouse);
    ~StatusNotifierItem() override;
    StatusNotifierItem(const StatusNotifierItem&) = delete;
    StatusNotifierItem& operator=(const StatusNotifierItem&) = delete;

    static constexpr int kConfirmMilliseconds = 3000;
    static constexpr int kMostRegistrations = 4;

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

  private:
    QVariantMap properties() const;
    void press(std::uint32_t mouseMessage);
    void registerWithWatcher();
    // Registers again unless the watcher lists the item and a host has read it.
    void confirmShown();

    QString connectionName_;
    QDBusConnection connection_;
    QString service_;
    QString tip_;
    SniPixmaps pixmaps_;
    std::function<void(std::uint32_t)> onMouse_;
    std::unique_ptr<DBusMenuExporter> menu_;
    QTimer confirmation_;
    int registrations_ = 0;
    bool hostRead_ = false;
};

}  // namespace quorvel::runtime::qt
