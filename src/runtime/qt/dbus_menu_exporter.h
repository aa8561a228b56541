#pragma once

#include <QDBusConnection>
#include <QDBusVirtualObject>
#include <QMenu>
#include <QPointer>

#include "runtime/qt/dbus_tray_types.h"

namespace quorvel::runtime::qt {

// A menu label with Qt's '&' access keys as dbusmenu's '_' mnemonics ("&&" is a plain '&', a
// plain '_' is doubled).
QString dbusMenuLabel(const QString& qtText);

// The menu's layout as com.canonical.dbusmenu sends it: root 0, the actions 1..n in order.
// `names` limits the properties (empty: all); `depth` 0 gives the root without children.
DBusMenuNode dbusMenuLayout(const QMenu& menu, int depth, const QStringList& names);

// The properties of one action: a separator's type, or its label, enabled and visible.
QVariantMap dbusMenuProperties(const QAction& action, const QStringList& names);

// Exports a QMenu as com.canonical.dbusmenu, for StatusNotifier hosts that draw the menu
// themselves; a "clicked" event triggers the action, as choosing it in the menu would.
class DBusMenuExporter final : public QDBusVirtualObject {
  public:
    DBusMenuExporter(QMenu& menu, QDBusConnection connection, QString path);

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

  private:
    void actionChanged(int id, const QAction* action);
    QAction* actionFor(int id) const;
    // Acts on a host's event for item `id`; false for an id the menu does not have.
    bool event(int id, const QString& eventId);

    QPointer<QMenu> menu_;
    QDBusConnection connection_;
    QString path_;
    uint revision_ = 1;
};

}  // namespace quorvel::runtime::qt
