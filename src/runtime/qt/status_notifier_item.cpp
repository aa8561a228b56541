#include "runtime/qt/status_notifier_item.h"

#include <unistd.h>

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QImage>
#include <QtEndian>
#include <algorithm>

#include "runtime/mouse_messages.h"
#include "runtime/qt/dbus_properties.h"

namespace quorvel::runtime::qt {

namespace {

const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kMenuPath = QStringLiteral("/MenuBar");
const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");

}  // namespace

SniPixmaps sniPixmaps(const QIcon& icon) {
    SniPixmaps pixmaps;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        const QImage image =
            icon.pixmap(QSize(size, size), 1.0).toImage().convertToFormat(QImage::Format_ARGB32);
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

StatusNotifierItem::StatusNotifierItem(const QIcon& icon, QString tip, QMenu& menu,
                                       std::uint32_t id, std::function<void(std::uint32_t)> onMouse)
    : connectionName_(QStringLiteral("quorvel-status-notifier-%1").arg(id)),
      connection_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName_)),
      service_(QStringLiteral("org.kde.StatusNotifierItem-%1-%2").arg(getpid()).arg(id)),
      tip_(std::move(tip)),
      pixmaps_(sniPixmaps(icon)),
      onMouse_(std::move(onMouse)) {
    registerDBusTrayTypes();
    if (!connection_.isConnected()) {
        return;
    }
    menu_ = std::make_unique<DBusMenuExporter>(menu, connection_, kMenuPath);
    connection_.registerVirtualObject(kItemPath, this);
    connection_.registerVirtualObject(kMenuPath, menu_.get());
    connection_.registerService(service_);
    confirmation_.setSingleShot(true);
    confirmation_.setInterval(kConfirmMilliseconds);
    QObject::connect(&confirmation_, &QTimer::timeout, this, [this] { confirmShown(); });
    registerWithWatcher();
}

void StatusNotifierItem::registerWithWatcher() {
    // By unique name: GNOME's AppIndicator extension watches a well-known item name and drops
    // the item when that watch reports its owner after the properties have arrived.
    hostRead_ = false;
    ++registrations_;
    QDBusMessage registration = QDBusMessage::createMethodCall(
        kWatcher, kWatcherPath, kWatcher, QStringLiteral("RegisterStatusNotifierItem"));
    registration << connection_.baseService();
    connection_.asyncCall(registration);
    confirmation_.start();
}

void StatusNotifierItem::confirmShown() {
    QDBusMessage get = QDBusMessage::createMethodCall(
        kWatcher, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << kWatcher << QStringLiteral("RegisteredStatusNotifierItems");
    auto* call = new QDBusPendingCallWatcher(connection_.asyncCall(get), this);
    QObject::connect(
        call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
            done->deleteLater();
            const QDBusPendingReply<QDBusVariant> reply = *done;
            const QStringList items =
                reply.isValid() ? qdbus_cast<QStringList>(reply.value().variant()) : QStringList();
            const QString self = connection_.baseService();
            const bool listed =
                std::any_of(items.begin(), items.end(), [&self](const QString& item) {
                    return item == self || item.startsWith(self + QLatin1Char('/'));
                });
            if ((!listed || !hostRead_) && registrations_ < kMostRegistrations) {
                registerWithWatcher();
            }
        });
}

StatusNotifierItem::~StatusNotifierItem() {
    if (connection_.isConnected()) {
        connection_.unregisterObject(kMenuPath);
        connection_.unregisterObject(kItemPath);
        connection_.unregisterService(service_);
    }
    QDBusConnection::disconnectFromBus(connectionName_);
}

QVariantMap StatusNotifierItem::properties() const {
    return {
        {QStringLiteral("Category"), QStringLiteral("ApplicationStatus")},
        {QStringLiteral("Id"), tip_},
        {QStringLiteral("Title"), tip_},
        {QStringLiteral("Status"), QStringLiteral("Active")},
        {QStringLiteral("WindowId"), 0},
        {QStringLiteral("IconName"), QString()},
        {QStringLiteral("IconThemePath"), QString()},
        {QStringLiteral("IconPixmap"), QVariant::fromValue(pixmaps_)},
        {QStringLiteral("OverlayIconName"), QString()},
        {QStringLiteral("OverlayIconPixmap"), QVariant::fromValue(SniPixmaps{})},
        {QStringLiteral("AttentionIconName"), QString()},
        {QStringLiteral("AttentionIconPixmap"), QVariant::fromValue(SniPixmaps{})},
        {QStringLiteral("AttentionMovieName"), QString()},
        {QStringLiteral("ToolTip"),
         QVariant::fromValue(SniToolTip{QString(), {}, tip_, QString()})},
        {QStringLiteral("ItemIsMenu"), false},
        {QStringLiteral("Menu"), QVariant::fromValue(QDBusObjectPath(kMenuPath))},
    };
}

void StatusNotifierItem::press(std::uint32_t mouseMessage) {
    // Queued: the handler may pop up a window or remove this very item.
    QMetaObject::invokeMethod(
        this, [this, mouseMessage] { onMouse_(mouseMessage); }, Qt::QueuedConnection);
}

QString StatusNotifierItem::introspect(const QString&) const {
    return QStringLiteral(
        "<interface name=\"org.kde.StatusNotifierItem\">"
        "<property name=\"Category\" type=\"s\" access=\"read\"/>"
        "<property name=\"Id\" type=\"s\" access=\"read\"/>"
        "<property name=\"Title\" type=\"s\" access=\"read\"/>"
        "<property name=\"Status\" type=\"s\" access=\"read\"/>"
        "<property name=\"WindowId\" type=\"i\" access=\"read\"/>"
        "<property name=\"IconName\" type=\"s\" access=\"read\"/>"
        "<property name=\"IconThemePath\" type=\"s\" access=\"read\"/>"
        "<property name=\"IconPixmap\" type=\"a(iiay)\" access=\"read\"/>"
        "<property name=\"OverlayIconName\" type=\"s\" access=\"read\"/>"
        "<property name=\"OverlayIconPixmap\" type=\"a(iiay)\" access=\"read\"/>"
        "<property name=\"AttentionIconName\" type=\"s\" access=\"read\"/>"
        "<property name=\"AttentionIconPixmap\" type=\"a(iiay)\" access=\"read\"/>"
        "<property name=\"AttentionMovieName\" type=\"s\" access=\"read\"/>"
        "<property name=\"ToolTip\" type=\"(sa(iiay)ss)\" access=\"read\"/>"
        "<property name=\"ItemIsMenu\" type=\"b\" access=\"read\"/>"
        "<property name=\"Menu\" type=\"o\" access=\"read\"/>"
        "<method name=\"ContextMenu\"><arg name=\"x\" type=\"i\" direction=\"in\"/>"
        "<arg name=\"y\" type=\"i\" direction=\"in\"/></method>"
        "<method name=\"Activate\"><arg name=\"x\" type=\"i\" direction=\"in\"/>"
        "<arg name=\"y\" type=\"i\" direction=\"in\"/></method>"
        "<method name=\"SecondaryActivate\"><arg name=\"x\" type=\"i\" direction=\"in\"/>"
        "<arg name=\"y\" type=\"i\" direction=\"in\"/></method>"
        "<method name=\"Scroll\"><arg name=\"delta\" type=\"i\" direction=\"in\"/>"
        "<arg name=\"orientation\" type=\"s\" direction=\"in\"/></method>"
        "<method name=\"ProvideXdgActivationToken\">"
        "<arg name=\"token\" type=\"s\" direction=\"in\"/></method>"
        "<signal name=\"NewTitle\"/><signal name=\"NewIcon\"/><signal name=\"NewAttentionIcon\"/>"
        "<signal name=\"NewOverlayIcon\"/><signal name=\"NewToolTip\"/>"
        "<signal name=\"NewStatus\"><arg name=\"status\" type=\"s\"/></signal>"
        "</interface>");
}

bool StatusNotifierItem::handleMessage(const QDBusMessage& message,
                                       const QDBusConnection& connection) {
    const QString member = message.member();
    if (answerPropertiesCall(message, connection, properties())) {
        hostRead_ = true;
        return true;
    }
    if (member == QLatin1String("Activate")) {
        press(WM_LBUTTONDOWN);
    } else if (member == QLatin1String("SecondaryActivate")) {
        press(WM_MBUTTONDOWN);
    } else if (member == QLatin1String("ContextMenu") || member == QLatin1String("Scroll") ||
               member == QLatin1String("ProvideXdgActivationToken")) {
        // The host draws the menu from the exported copy: no second menu of our own.
    } else {
        return false;
    }
    connection.send(message.createReply());
    return true;
}

}  // namespace quorvel::runtime::qt
