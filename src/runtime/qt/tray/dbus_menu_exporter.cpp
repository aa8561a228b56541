// SPDX-License-Identifier: MIT
#include "runtime/qt/tray/dbus_menu_exporter.h"

#include "dbusmenu_adaptor.h"

namespace quorvel::runtime::qt {

namespace {

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

DBusMenuExporter::DBusMenuExporter(QMenu& menu, QDBusConnection connection, const QString& path)
    : menu_(&menu), adaptor_(new DBusMenuAdaptor(this)) {
    registerDBusTrayTypes();
    changes_.setSingleShot(true);
    changes_.setInterval(0);
    connect(&changes_, &QTimer::timeout, this, &DBusMenuExporter::sendChanges);
    const QList<QAction*> actions = menu.actions();
    for (qsizetype i = 0; i < actions.size(); ++i) {
        // A bookmark's caption changes after the editor's OK: all of its changes go as one.
        connect(actions.at(i), &QAction::changed, this, [this, id = static_cast<int>(i + 1)] {
            changed_.insert(id);
            changes_.start();
        });
    }
    connection.registerObject(path, this, QDBusConnection::ExportAdaptors);
}

QAction* DBusMenuExporter::actionFor(int id) const {
    if (!menu_ || id < 1 || id > menu_->actions().size()) {
        return nullptr;
    }
    return menu_->actions().at(id - 1);
}

void DBusMenuExporter::sendChanges() {
    DBusMenuItemPropertiesList items;
    for (const int id : std::as_const(changed_)) {
        if (const QAction* action = actionFor(id)) {
            items.append({id, dbusMenuProperties(*action, {})});
        }
    }
    changed_.clear();
    ++revision_;
    emit adaptor_->ItemsPropertiesUpdated(items, {});
    emit adaptor_->LayoutUpdated(revision_, 0);
}

bool DBusMenuExporter::handleEvent(int id, const QString& eventId) {
    QAction* action = actionFor(id);
    if (action == nullptr) {
        return id == 0;
    }
    if (eventId == QLatin1String("clicked") && !action->isSeparator()) {
        // The menu's owner runs the command later, outside this call.
        action->trigger();
    }
    return true;
}

uint DBusMenuExporter::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                 DBusMenuNode& layout) {
    // Changes still waiting for their batch go out first, so the revision fits the layout.
    if (changes_.isActive()) {
        changes_.stop();
        sendChanges();
    }
    if (parentId == 0 && menu_) {
        layout = dbusMenuLayout(*menu_, recursionDepth, propertyNames);
    } else if (const QAction* action = actionFor(parentId)) {
        layout = {parentId, dbusMenuProperties(*action, propertyNames), {}};
    } else {
        sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("no item %1").arg(parentId));
    }
    return revision_;
}

DBusMenuItemPropertiesList DBusMenuExporter::GetGroupProperties(const QList<int>& ids,
                                                                const QStringList& propertyNames) {
    DBusMenuItemPropertiesList items;
    if (!menu_) {
        return items;
    }
    const DBusMenuNode layout = dbusMenuLayout(*menu_, -1, propertyNames);
    if (ids.isEmpty() || ids.contains(0)) {
        items.append({0, layout.properties});
    }
    for (const DBusMenuNode& child : layout.children) {
        if (ids.isEmpty() || ids.contains(child.id)) {
            items.append({child.id, child.properties});
        }
    }
    return items;
}

QDBusVariant DBusMenuExporter::GetProperty(int id, const QString& name) {
    const QAction* action = actionFor(id);
    const QVariantMap properties = action ? dbusMenuProperties(*action, {}) : QVariantMap{};
    if (!properties.contains(name)) {
        sendErrorReply(QDBusError::InvalidArgs, name);
        return QDBusVariant(QString());
    }
    return QDBusVariant(properties.value(name));
}

void DBusMenuExporter::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
    handleEvent(id, eventId);
}

QList<int> DBusMenuExporter::EventGroup(const DBusMenuEventList& events) {
    QList<int> unknown;
    for (const DBusMenuEvent& entry : events) {
        if (!handleEvent(entry.id, entry.eventId)) {
            unknown.append(entry.id);
        }
    }
    return unknown;
}

bool DBusMenuExporter::AboutToShow(int) {
    return false;
}

QList<int> DBusMenuExporter::AboutToShowGroup(const QList<int>&, QList<int>& idErrors) {
    idErrors.clear();
    return {};
}

}  // namespace quorvel::runtime::qt
