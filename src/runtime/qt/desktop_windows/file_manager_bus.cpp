// SPDX-License-Identifier: MIT
#include "runtime/qt/desktop_windows/file_manager_bus.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QMap>
#include <QStringList>
#include <QUrl>
#include <QXmlStreamReader>
#include <algorithm>

namespace quorvel::runtime::qt {

namespace {

using Clock = std::chrono::steady_clock;

const QString kNautilus = QStringLiteral("org.gnome.Nautilus");
const QString kDolphinPrefix = QStringLiteral("org.kde.dolphin-");

class Calls {
  public:
    Calls(QDBusConnection bus, Clock::time_point deadline)
        : bus_(std::move(bus)), deadline_(deadline) {}

    // The reply's arguments, or nothing on an error or once the deadline has passed.
    std::optional<QList<QVariant>> call(const QString& service, const QString& path,
                                        const QString& interface, const QString& method,
                                        const QList<QVariant>& arguments = {}) const {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now());
        if (left.count() <= 0) {
            return std::nullopt;
        }
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        message.setAutoStartService(false);
        const QDBusMessage reply = bus_.call(message, QDBus::Block, static_cast<int>(left.count()));
        if (reply.type() != QDBusMessage::ReplyMessage) {
            return std::nullopt;
        }
        return reply.arguments();
    }

  private:
    QDBusConnection bus_;
    Clock::time_point deadline_;
};

bool sameFolder(const QString& location, const QUrl& folder) {
    return QUrl(location).adjusted(QUrl::StripTrailingSlash | QUrl::NormalizePathSegments) ==
           folder;
}

// Nautilus: each window's locations (its tabs); a window whose every tab shows the folder is
// closed through its own action, which closes its one view and with it the window.
bool closeInNautilus(const Calls& calls, const QUrl& folder) {
    const auto reply =
        calls.call(kNautilus, QStringLiteral("/org/freedesktop/FileManager1"),
                   QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                   {QStringLiteral("org.freedesktop.FileManager1"),
                    QStringLiteral("OpenWindowsWithLocations")});
    if (!reply || reply->size() != 1) {
        return false;
    }
    const QVariant value = reply->front().value<QDBusVariant>().variant();
    if (value.userType() != qMetaTypeId<QDBusArgument>()) {
        return false;
    }
    const auto argument = value.value<QDBusArgument>();
    if (argument.currentSignature() != QStringLiteral("a{sas}")) {
        return false;
    }
    const auto windows = qdbus_cast<QMap<QString, QStringList>>(argument);
    bool closed = false;
    for (auto window = windows.begin(); window != windows.end(); ++window) {
        const QStringList& locations = window.value();
        if (locations.isEmpty() ||
            !std::all_of(locations.begin(), locations.end(),
                         [&](const QString& l) { return sameFolder(l, folder); })) {
            continue;
        }
        closed =
            calls
                .call(kNautilus, window.key(), QStringLiteral("org.gtk.Actions"),
                      QStringLiteral("Activate"),
                      {QStringLiteral("close-current-view"), QVariant::fromValue(QVariantList()),
                       QVariant::fromValue(QVariantMap())})
                .has_value() ||
            closed;
    }
    return closed;
}

// The names of an object's children, from its introspection data.
QStringList childNodes(const QString& xml) {
    QStringList children;
    QXmlStreamReader reader(xml);
    int depth = 0;
    while (!reader.atEnd()) {
        const auto token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            if (depth == 2 && reader.name() == u"node") {
                children << reader.attributes().value(QStringLiteral("name")).toString();
            }
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    return children;
}

// Dolphin: one service per process, one object per window. A window that has the folder open
// closes its current view, and with it the window when that is its only one.
bool closeInDolphin(const Calls& calls, const QString& service, const QUrl& folder) {
    const QString windowsPath = QStringLiteral("/dolphin");
    const auto introspection =
        calls.call(service, windowsPath, QStringLiteral("org.freedesktop.DBus.Introspectable"),
                   QStringLiteral("Introspect"));
    if (!introspection || introspection->size() != 1) {
        return false;
    }
    bool closed = false;
    for (const QString& child : childNodes(introspection->front().toString())) {
        const QString window = windowsPath + u'/' + child;
        const auto open =
            calls.call(service, window, QStringLiteral("org.kde.dolphin.MainWindow"),
                       QStringLiteral("isUrlOpen"), {folder.toString(QUrl::FullyEncoded)});
        if (!open || open->size() != 1 || !open->front().toBool()) {
            continue;
        }
        const auto done =
            calls.call(service, window, QStringLiteral("org.kde.KMainWindow"),
                       QStringLiteral("activateAction"), {QStringLiteral("file_close")});
        closed = (done && done->size() == 1 && done->front().toBool()) || closed;
    }
    return closed;
}

}  // namespace

bool FileManagerBus::closeFolderWindow(const FolderWindow& folder) const {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || folder.path.empty()) {
        return false;
    }
    const Calls calls(bus, Clock::now() + patience_);
    const auto names =
        calls.call(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                   QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListNames"));
    if (!names || names->size() != 1) {
        return false;
    }
    const QUrl url = QUrl::fromLocalFile(QString::fromStdString(folder.path))
                         .adjusted(QUrl::StripTrailingSlash | QUrl::NormalizePathSegments);
    bool closed = false;
    for (const QString& name : names->front().toStringList()) {
        if (name == kNautilus) {
            closed = closeInNautilus(calls, url) || closed;
        } else if (name.startsWith(kDolphinPrefix)) {
            closed = closeInDolphin(calls, name, url) || closed;
        }
    }
    return closed;
}

}  // namespace quorvel::runtime::qt
