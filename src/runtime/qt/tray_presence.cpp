#include "runtime/qt/tray_presence.h"

#include <xcb/xcb.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <cstdlib>
#include <cstring>

namespace quorvel::runtime::qt {

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

bool statusNotifierHostRegistered() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() ||
        !bus.interface()->isServiceRegistered(kWatcher).value()) {
        return false;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(
        kWatcher, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
    const QDBusMessage reply = bus.call(get, QDBus::Block, 1000);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toBool();
}

bool xembedTrayOwned() {
    const auto* native =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = native ? native->connection() : nullptr;
    if (connection == nullptr) {
        return false;
    }
    constexpr const char* kSelection = "_NET_SYSTEM_TRAY_S0";
    auto* atom = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(std::strlen(kSelection)),
                        kSelection),
        nullptr);
    if (atom == nullptr || atom->atom == XCB_ATOM_NONE) {
        std::free(atom);
        return false;
    }
    auto* owner = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, atom->atom), nullptr);
    const bool owned = owner != nullptr && owner->owner != XCB_WINDOW_NONE;
    std::free(owner);
    std::free(atom);
    return owned;
}

}  // namespace

TrayKind presentTray() {
    if (statusNotifierHostRegistered()) {
        return TrayKind::StatusNotifier;
    }
    return xembedTrayOwned() ? TrayKind::XEmbed : TrayKind::None;
}

}  // namespace quorvel::runtime::qt
