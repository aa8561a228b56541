#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QIcon>
#include <QMenu>
#include <cstdint>
#include <functional>
#include <memory>

#include "runtime/qt/dbus_menu_exporter.h"
#include "runtime/qt/dbus_tray_types.h"

namespace quorvel::runtime::qt {

// The icon's images for a StatusNotifier host, at the sizes panels commonly draw.
SniPixmaps sniPixmaps(const QIcon& icon);

// One icon as an org.kde.StatusNotifierItem on a session-bus connection of its own, with its
// menu exported for the host to draw. Registers with the watcher when made; leaves the bus, and
// so every host, when destroyed. Presses arrive as mouse messages (left press: Activate).
class StatusNotifierItem final : public QDBusVirtualObject {
  public:
    StatusNotifierItem(const QIcon& icon, QString tip, QMenu& menu, std::uint32_t id,
                       std::function<void(std::uint32_t mouseMessage)> onMouse);
    ~StatusNotifierItem() override;
    StatusNotifierItem(const StatusNotifierItem&) = delete;
    StatusNotifierItem& operator=(const StatusNotifierItem&) = delete;

    // False when there is no session bus to be on.
    bool connected() const { return connection_.isConnected(); }
    QString serviceName() const { return service_; }

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

  private:
    QVariantMap properties() const;
    void press(std::uint32_t mouseMessage);

    QString connectionName_;
    QDBusConnection connection_;
    QString service_;
    QString tip_;
    SniPixmaps pixmaps_;
    std::function<void(std::uint32_t)> onMouse_;
    std::unique_ptr<DBusMenuExporter> menu_;
};

}  // namespace quorvel::runtime::qt
