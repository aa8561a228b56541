// SPDX-License-Identifier: MIT
#include "runtime/qt/tray/status_notifier_item.h"

#include <unistd.h>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QImage>
#include <QtEndian>
#include <algorithm>

#include "runtime/mouse_messages.h"
#include "runtime/qt/common/qt_icons.h"
#include "statusnotifieritem_adaptor.h"

namespace quorvel::runtime::qt {

namespace {

const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kMenuPath = QStringLiteral("/MenuBar");
const QString kStatusNotifierWatcherPath = QStringLiteral("/StatusNotifierWatcher");

}  // namespace

SniPixmaps sniPixmaps(const QIcon& icon) {
    SniPixmaps pixmaps;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        const QImage image = iconImage(icon, size, QImage::Format_ARGB32);
        if (image.isNull()) {
            continue;
        }
        SniPixmap pixmap{image.width(), image.height(), {}};
        pixmap.pixels.resize(qsizetype(image.width()) * image.height() * 4);
        auto* out = reinterpret_cast<uchar*>(pixmap.pixels.data());
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x, out += 4) {
                qToBigEndian<quint32>(line[x], out);
            }
        }
        pixmaps.append(pixmap);
    }
    return pixmaps;
}

StatusNotifierItem::StatusNotifierItem(QDBusConnection connection, const QIcon& icon, QString tip,
                                       QMenu& menu, std::uint32_t id,
                                       std::function<void(std::uint32_t)> onMouse,
                                       ThemedIcon themed)
    : connection_(std::move(connection)),
      service_(QStringLiteral("org.kde.StatusNotifierItem-%1-%2").arg(getpid()).arg(id)),
      tip_(std::move(tip)),
      pixmaps_(sniPixmaps(icon)),
      themed_(std::move(themed)),
      onMouse_(std::move(onMouse)) {
    registerDBusTrayTypes();
    new StatusNotifierItemAdaptor(this);
    if (!connection_.isConnected()) {
        return;
    }
    menu_ = std::make_unique<DBusMenuExporter>(menu, connection_, kMenuPath);
    connection_.registerObject(kItemPath, this, QDBusConnection::ExportAdaptors);
    // The well-known name, for hosts that look items up by it (a peer connection has no bus).
    if (connection_.interface() != nullptr) {
        connection_.registerService(service_);
    }
    confirmation_.setSingleShot(true);
    confirmation_.setInterval(kConfirmMilliseconds);
    connect(&confirmation_, &QTimer::timeout, this, &StatusNotifierItem::confirmShown);
    registerWithWatcher();
}

StatusNotifierItem::~StatusNotifierItem() {
    if (connection_.isConnected()) {
        connection_.unregisterObject(kMenuPath);
        connection_.unregisterObject(kItemPath);
        if (connection_.interface() != nullptr) {
            connection_.unregisterService(service_);
        }
    }
    QDBusConnection::disconnectFromBus(connection_.name());
}

void StatusNotifierItem::registerWithWatcher() {
    // By unique name: GNOME's AppIndicator extension watches a well-known item name and drops
    // the item when that watch reports its owner after the properties have arrived.
    hostRead_ = false;
    ++registrations_;
    QDBusMessage registration = QDBusMessage::createMethodCall(
        kStatusNotifierWatcher, kStatusNotifierWatcherPath, kStatusNotifierWatcher,
        QStringLiteral("RegisterStatusNotifierItem"));
    registration << connection_.baseService();
    connection_.asyncCall(registration);
    confirmation_.start();
}

void StatusNotifierItem::confirmShown() {
    QDBusMessage get = QDBusMessage::createMethodCall(
        kStatusNotifierWatcher, kStatusNotifierWatcherPath,
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kStatusNotifierWatcher << QStringLiteral("RegisteredStatusNotifierItems");
    auto* call = new QDBusPendingCallWatcher(connection_.asyncCall(get), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        done->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *done;
        const QStringList items =
            reply.isValid() ? qdbus_cast<QStringList>(reply.value().variant()) : QStringList();
        const QString self = connection_.baseService();
        const bool listed = std::any_of(items.begin(), items.end(), [&self](const QString& item) {
            // Hosts list an item as "service", "service/path" or, GNOME's, "service@/path".
            return item == self || item.startsWith(self + QLatin1Char('/')) ||
                   item.startsWith(self + QLatin1Char('@'));
        });
        if ((!listed || !hostRead_) && registrations_ < kMostRegistrations) {
            registerWithWatcher();
        }
    });
}

QString StatusNotifierItem::category() {
    hostRead_ = true;
    return QStringLiteral("ApplicationStatus");
}

QString StatusNotifierItem::title() {
    hostRead_ = true;
    return tip_;
}

QString StatusNotifierItem::status() {
    hostRead_ = true;
    return QStringLiteral("Active");
}

int StatusNotifierItem::windowId() {
    hostRead_ = true;
    return 0;
}

QString StatusNotifierItem::none() {
    hostRead_ = true;
    return {};
}

QString StatusNotifierItem::iconName() {
    hostRead_ = true;
    return themed_.name;
}

QString StatusNotifierItem::iconThemePath() {
    hostRead_ = true;
    return themed_.themePath;
}

SniPixmaps StatusNotifierItem::iconPixmap() {
    hostRead_ = true;
    return pixmaps_;
}

SniPixmaps StatusNotifierItem::noPixmaps() {
    hostRead_ = true;
    return {};
}

SniToolTip StatusNotifierItem::toolTip() {
    hostRead_ = true;
    return {QString(), {}, tip_, QString()};
}

bool StatusNotifierItem::itemIsMenu() {
    hostRead_ = true;
    return false;
}

QDBusObjectPath StatusNotifierItem::menuPath() {
    hostRead_ = true;
    return QDBusObjectPath(kMenuPath);
}

void StatusNotifierItem::press(std::uint32_t mouseMessage) {
    // Queued: the handler may pop up a window or remove this very item.
    QMetaObject::invokeMethod(
        this, [this, mouseMessage] { onMouse_(mouseMessage); }, Qt::QueuedConnection);
}

void StatusNotifierItem::Activate(int, int) {
    press(WM_LBUTTONDOWN);
}

void StatusNotifierItem::SecondaryActivate(int, int) {
    press(WM_MBUTTONDOWN);
}

// The host draws the menu from the exported copy: no second menu of our own.
void StatusNotifierItem::ContextMenu(int, int) {}
void StatusNotifierItem::Scroll(int, const QString&) {}
void StatusNotifierItem::ProvideXdgActivationToken(const QString&) {}

}  // namespace quorvel::runtime::qt
