// SPDX-License-Identifier: MIT
#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusVariant>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include "runtime/qt/tray/dbus_tray_types.h"

class DBusMenuAdaptor;

namespace quorvel::runtime::qt {

// A menu label with Qt's '&' access keys as dbusmenu's '_' mnemonics ("&&" is a plain '&', a
// plain '_' is doubled).
QString dbusMenuLabel(const QString& qtText);

// The menu's layout as com.canonical.dbusmenu sends it: root 0, the actions 1..n in order.
// `names` limits the properties (empty: all); `depth` 0 gives the root without children.
DBusMenuNode dbusMenuLayout(const QMenu& menu, int depth, const QStringList& names);

// The properties of one action: a separator's type, or its label, enabled and visible.
QVariantMap dbusMenuProperties(const QAction& action, const QStringList& names);

// Exports a QMenu as com.canonical.dbusmenu (dbus/com.canonical.dbusmenu.xml), for
// StatusNotifier hosts that draw the menu themselves; a "clicked" event triggers the action, as
// choosing it in the menu would. Changes are sent once per turn of the event loop.
class DBusMenuExporter final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)

  public:
    // Registers the export at `path` on `connection`.
    DBusMenuExporter(QMenu& menu, QDBusConnection connection, const QString& path);

    uint version() const { return 3; }
    QString textDirection() const { return QStringLiteral("ltr"); }
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

    // The interface's methods, called by the generated adaptor.
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   quorvel::runtime::qt::DBusMenuNode& layout);
    quorvel::runtime::qt::DBusMenuItemPropertiesList GetGroupProperties(
        const QList<int>& ids, const QStringList& propertyNames);
    QDBusVariant GetProperty(int id, const QString& name);
    void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
    QList<int> EventGroup(const quorvel::runtime::qt::DBusMenuEventList& events);
    bool AboutToShow(int id);
    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

  private:
    QAction* actionFor(int id) const;
    // Acts on a host's event for item `id`; false for an id the menu does not have.
    bool handleEvent(int id, const QString& eventId);
    void sendChanges();

    QPointer<QMenu> menu_;
    DBusMenuAdaptor* adaptor_;
    uint revision_ = 1;
    QSet<int> changed_;
    QTimer changes_;
};

}  // namespace quorvel::runtime::qt
