#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace quorvel::runtime::qt {

// Answers an org.freedesktop.DBus.Properties call (Get, GetAll) from the object's properties;
// false for a message of another interface. Properties are read-only: Set is refused.
bool answerPropertiesCall(const QDBusMessage& message, const QDBusConnection& connection,
                          const QVariantMap& properties);

}  // namespace quorvel::runtime::qt
