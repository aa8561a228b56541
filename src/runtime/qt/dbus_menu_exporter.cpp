#include "runtime/qt/dbus_menu_exporter.h"

#include <QDBusMessage>
#include <QDBusVariant>

#include "runtime/qt/dbus_properties.h"

namespace quorvel::runtime::qt {

namespace {

const QString kInterface = QStringLiteral("com.canonical.dbusmenu");

QVariantMap menuProperties() {
    return {{QStringLiteral("Version"), 3u},
            {QStringLiteral("TextDirection"), QStringLiteral("ltr")},
            {QStringLiteral("Status"), QStringLiteral("normal")},
            {QStringLiteral("IconThemePath"), QStringList()}};
}

QVariantMap only(QVariantMap properties, const QStringList& names) {
    if (names.isEmpty()) {
        return properties;
    }
    for (auto it = properties.begin(); it != properties.end();) {
        it = names.contains(it.key()) ? std::next(it) : properties.erase(it);
    }
    return properties;
}

}  // namespace

QString dbusMenuLabel(const QString& qtText) {
    QString label;
    label.reserve(qtText.size());
    for (qsizetype i = 0; i < qtText.size(); ++i) {
        const QChar c = qtText.at(i);
        if (c == QLatin1Char('&')) {
            if (i + 1 < qtText.size() && qtText.at(i + 1) == QLatin1Char('&')) {
                label += QLatin1Char('&');
                ++i;
            } else if (i + 1 < qtText.size()) {
                label += QLatin1Char('_');
            }
        } else if (c == QLatin1Char('_')) {
            label += QStringLiteral("__");
        } else {
            label += c;
        }
    }
    return label;
}

QVariantMap dbusMenuProperties(const QAction& action, const QStringList& names) {
    if (action.isSeparator()) {
        return only({{QStringLiteral("type"), QStringLiteral("separator")},
                     {QStringLiteral("visible"), action.isVisible()}},
                    names);
    }
    return only({{QStringLiteral("label"), dbusMenuLabel(action.text())},
                 {QStringLiteral("enabled"), action.isEnabled()},
                 {QStringLiteral("visible"), action.isVisible()}},
                names);
}

DBusMenuNode dbusMenuLayout(const QMenu& menu, int depth, const QStringList& names) {
    DBusMenuNode root;
    root.properties =
        only({{QStringLiteral("children-display"), QStringLiteral("submenu")}}, names);
    if (depth == 0) {
        return root;
    }
    const QList<QAction*> actions = menu.actions();
    for (qsizetype i = 0; i < actions.size(); ++i) {
        root.children.append(
            DBusMenuNode{static_cast<int>(i + 1), dbusMenuProperties(*actions.at(i), names), {}});
    }
    return root;
}

DBusMenuExporter::DBusMenuExporter(QMenu& menu, QDBusConnection connection, QString path)
    : menu_(&menu), connection_(std::move(connection)), path_(std::move(path)) {
    registerDBusTrayTypes();
    const QList<QAction*> actions = menu.actions();
    for (qsizetype i = 0; i < actions.size(); ++i) {
        // A bookmark's caption changes after the editor's OK.
        QObject::connect(actions.at(i), &QAction::changed, this,
                         [this, id = static_cast<int>(i + 1), action = actions.at(i)] {
                             actionChanged(id, action);
                         });
    }
}

bool DBusMenuExporter::event(int id, const QString& eventId) {
    QAction* action = actionFor(id);
    if (action == nullptr) {
        return id == 0;
    }
    if (eventId == QLatin1String("clicked") && !action->isSeparator()) {
        // After the reply: the action may end the program or open a window.
        QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
    }
    return true;
}

QAction* DBusMenuExporter::actionFor(int id) const {
    if (!menu_ || id < 1 || id > menu_->actions().size()) {
        return nullptr;
    }
    return menu_->actions().at(id - 1);
}

void DBusMenuExporter::actionChanged(int id, const QAction* action) {
    ++revision_;
    QDBusMessage updated =
        QDBusMessage::createSignal(path_, kInterface, QStringLiteral("ItemsPropertiesUpdated"));
    updated << QVariant::fromValue(
                   DBusMenuItemPropertiesList{{id, dbusMenuProperties(*action, {})}})
            << QVariant::fromValue(DBusMenuItemKeysList{});
    connection_.send(updated);
    QDBusMessage layout =
        QDBusMessage::createSignal(path_, kInterface, QStringLiteral("LayoutUpdated"));
    layout << revision_ << 0;
    connection_.send(layout);
}

QString DBusMenuExporter::introspect(const QString&) const {
    return QStringLiteral(
        "<interface name=\"com.canonical.dbusmenu\">"
        "<property name=\"Version\" type=\"u\" access=\"read\"/>"
        "<property name=\"TextDirection\" type=\"s\" access=\"read\"/>"
        "<property name=\"Status\" type=\"s\" access=\"read\"/>"
        "<property name=\"IconThemePath\" type=\"as\" access=\"read\"/>"
        "<method name=\"GetLayout\"><arg type=\"i\" name=\"parentId\" direction=\"in\"/>"
        "<arg type=\"i\" name=\"recursionDepth\" direction=\"in\"/>"
        "<arg type=\"as\" name=\"propertyNames\" direction=\"in\"/>"
        "<arg type=\"u\" name=\"revision\" direction=\"out\"/>"
        "<arg type=\"(ia{sv}av)\" name=\"layout\" direction=\"out\"/></method>"
        "<method name=\"GetGroupProperties\"><arg type=\"ai\" name=\"ids\" direction=\"in\"/>"
        "<arg type=\"as\" name=\"propertyNames\" direction=\"in\"/>"
        "<arg type=\"a(ia{sv})\" name=\"properties\" direction=\"out\"/></method>"
        "<method name=\"GetProperty\"><arg type=\"i\" name=\"id\" direction=\"in\"/>"
        "<arg type=\"s\" name=\"name\" direction=\"in\"/>"
        "<arg type=\"v\" name=\"value\" direction=\"out\"/></method>"
        "<method name=\"Event\"><arg type=\"i\" name=\"id\" direction=\"in\"/>"
        "<arg type=\"s\" name=\"eventId\" direction=\"in\"/>"
        "<arg type=\"v\" name=\"data\" direction=\"in\"/>"
        "<arg type=\"u\" name=\"timestamp\" direction=\"in\"/></method>"
        "<method name=\"EventGroup\"><arg type=\"a(isvu)\" name=\"events\" direction=\"in\"/>"
        "<arg type=\"ai\" name=\"idErrors\" direction=\"out\"/></method>"
        "<method name=\"AboutToShow\"><arg type=\"i\" name=\"id\" direction=\"in\"/>"
        "<arg type=\"b\" name=\"needUpdate\" direction=\"out\"/></method>"
        "<method name=\"AboutToShowGroup\"><arg type=\"ai\" name=\"ids\" direction=\"in\"/>"
        "<arg type=\"ai\" name=\"updatesNeeded\" direction=\"out\"/>"
        "<arg type=\"ai\" name=\"idErrors\" direction=\"out\"/></method>"
        "<signal name=\"ItemsPropertiesUpdated\"><arg type=\"a(ia{sv})\" name=\"updatedProps\"/>"
        "<arg type=\"a(ias)\" name=\"removedProps\"/></signal>"
        "<signal name=\"LayoutUpdated\"><arg type=\"u\" name=\"revision\"/>"
        "<arg type=\"i\" name=\"parent\"/></signal>"
        "<signal name=\"ItemActivationRequested\"><arg type=\"i\" name=\"id\"/>"
        "<arg type=\"u\" name=\"timestamp\"/></signal>"
        "</interface>");
}

bool DBusMenuExporter::handleMessage(const QDBusMessage& message,
                                     const QDBusConnection& connection) {
    const QString member = message.member();
    const QVariantList arguments = message.arguments();
    if (answerPropertiesCall(message, connection, menuProperties())) {
        return true;
    }
    if (!menu_) {
        return false;
    }
    if (member == QLatin1String("GetLayout")) {
        const int parent = arguments.value(0).toInt();
        DBusMenuNode layout;
        if (parent == 0) {
            layout = dbusMenuLayout(*menu_, arguments.value(1).toInt(),
                                    arguments.value(2).toStringList());
        } else if (const QAction* action = actionFor(parent)) {
            layout = {parent, dbusMenuProperties(*action, arguments.value(2).toStringList()), {}};
        } else {
            connection.send(message.createErrorReply(QDBusError::InvalidArgs, member));
            return true;
        }
        QDBusMessage reply = message.createReply();
        reply << revision_ << QVariant::fromValue(layout);
        connection.send(reply);
    } else if (member == QLatin1String("GetGroupProperties")) {
        const QList<int> ids = qdbus_cast<QList<int>>(arguments.value(0));
        const QStringList names = arguments.value(1).toStringList();
        DBusMenuItemPropertiesList items;
        const DBusMenuNode layout = dbusMenuLayout(*menu_, -1, names);
        if (ids.isEmpty() || ids.contains(0)) {
            items.append({0, layout.properties});
        }
        for (const DBusMenuNode& child : layout.children) {
            if (ids.isEmpty() || ids.contains(child.id)) {
                items.append({child.id, child.properties});
            }
        }
        connection.send(message.createReply(QVariant::fromValue(items)));
    } else if (member == QLatin1String("GetProperty")) {
        const QAction* action = actionFor(arguments.value(0).toInt());
        const QVariantMap properties = action ? dbusMenuProperties(*action, {}) : QVariantMap{};
        const QString name = arguments.value(1).toString();
        if (!properties.contains(name)) {
            connection.send(message.createErrorReply(QDBusError::InvalidArgs, name));
        } else {
            connection.send(
                message.createReply(QVariant::fromValue(QDBusVariant(properties.value(name)))));
        }
    } else if (member == QLatin1String("Event")) {
        event(arguments.value(0).toInt(), arguments.value(1).toString());
        connection.send(message.createReply());
    } else if (member == QLatin1String("EventGroup")) {
        QList<int> unknown;
        const auto events = qvariant_cast<QDBusArgument>(arguments.value(0));
        events.beginArray();
        while (!events.atEnd()) {
            int id = 0;
            QString eventId;
            QDBusVariant data;
            uint timestamp = 0;
            events.beginStructure();
            events >> id >> eventId >> data >> timestamp;
            events.endStructure();
            if (!event(id, eventId)) {
                unknown.append(id);
            }
        }
        events.endArray();
        connection.send(message.createReply(QVariant::fromValue(unknown)));
    } else if (member == QLatin1String("AboutToShow")) {
        connection.send(message.createReply(false));
    } else if (member == QLatin1String("AboutToShowGroup")) {
        QDBusMessage reply = message.createReply();
        reply << QVariant::fromValue(QList<int>()) << QVariant::fromValue(QList<int>());
        connection.send(reply);
    } else {
        return false;
    }
    return true;
}

}  // namespace quorvel::runtime::qt
