// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusVariant>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

namespace quorvel::runtime::qt {

// One image of a StatusNotifier icon: ARGB32 pixels in network byte order.
struct SniPixmap {
    int width = 0;
    int height = 0;
    QByteArray pixels;
};
using SniPixmaps = QList<SniPixmap>;

// A notification's picture, its "image-data" hint: width, height, bytes per row, alpha, bits per
// sample, channels, then the rows of R, G, B, A bytes, not premultiplied.
struct NotificationImage {
    int width = 0;
    int height = 0;
    int rowstride = 0;
    bool hasAlpha = true;
    int bitsPerSample = 8;
    int channels = 4;
    QByteArray data;
};

// A StatusNotifier tooltip: icon name, icon images, title, text.
struct SniToolTip {
    QString iconName;
    SniPixmaps pixmaps;
    QString title;
    QString text;
};

// A com.canonical.dbusmenu layout node: id, properties, children (each sent as a variant).
struct DBusMenuNode {
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuNode> children;
};

// An entry of GetGroupProperties and ItemsPropertiesUpdated.
struct DBusMenuItemProperties {
    int id = 0;
    QVariantMap properties;
};
using DBusMenuItemPropertiesList = QList<DBusMenuItemProperties>;

// An entry of the removed-properties list of ItemsPropertiesUpdated.
struct DBusMenuItemKeys {
    int id = 0;
    QStringList names;
};
using DBusMenuItemKeysList = QList<DBusMenuItemKeys>;

// An entry of EventGroup: id, event, data, timestamp.
struct DBusMenuEvent {
    int id = 0;
    QString eventId;
    // Never empty: QtDBus learns the type's signature from a default one.
    QDBusVariant data{0};
    uint timestamp = 0;
};
using DBusMenuEventList = QList<DBusMenuEvent>;

// Makes the types above known to QtDBus; safe to call more than once.
void registerDBusTrayTypes();

QDBusArgument& operator<<(QDBusArgument& argument, const SniPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, SniPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const NotificationImage& image);
const QDBusArgument& operator>>(const QDBusArgument& argument, NotificationImage& image);
QDBusArgument& operator<<(QDBusArgument& argument, const SniToolTip& tip);
const QDBusArgument& operator>>(const QDBusArgument& argument, SniToolTip& tip);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuNode& node);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuNode& node);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuItemKeys& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuItemKeys& item);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuEvent& event);

}  // namespace quorvel::runtime::qt

Q_DECLARE_METATYPE(quorvel::runtime::qt::SniPixmap)
Q_DECLARE_METATYPE(quorvel::runtime::qt::NotificationImage)
Q_DECLARE_METATYPE(quorvel::runtime::qt::SniToolTip)
Q_DECLARE_METATYPE(quorvel::runtime::qt::DBusMenuNode)
Q_DECLARE_METATYPE(quorvel::runtime::qt::DBusMenuItemProperties)
Q_DECLARE_METATYPE(quorvel::runtime::qt::DBusMenuItemKeys)
Q_DECLARE_METATYPE(quorvel::runtime::qt::DBusMenuEvent)
