#include "runtime/qt/dbus_properties.h"

#include <QDBusVariant>

namespace quorvel::runtime::qt {

bool answerPropertiesCall(const QDBusMessage& message, const QDBusConnection& connection,
                          const QVariantMap& properties) {
    if (message.interface() != QLatin1String("org.freedesktop.DBus.Properties")) {
        return false;
    }
    const QString member = message.member();
    const QString name = message.arguments().value(1).toString();
    if (member == QLatin1String("GetAll")) {
        connection.send(message.createReply(properties));
    } else if (member == QLatin1String("Get") && properties.contains(name)) {
        connection.send(
            message.createReply(QVariant::fromValue(QDBusVariant(properties.value(name)))));
    } else {
        connection.send(message.createErrorReply(QDBusError::InvalidArgs, name));
    }
    return true;
}

}  // namespace quorvel::runtime::qt
