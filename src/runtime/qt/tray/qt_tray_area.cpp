// SPDX-License-Identifier: MIT
#include "runtime/qt/tray/qt_tray_area.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>

#include "runtime/mouse_messages.h"
#include "runtime/qt/common/qt_icons.h"
#include "runtime/qt/common/qt_text.h"
#include "runtime/qt/widgets/qt_popup_menu.h"

namespace quorvel::runtime::qt {

namespace {

bool watcherOnBus(QDBusConnection bus) {
    return bus.isConnected() && bus.interface() &&
           bus.interface()->isServiceRegistered(kStatusNotifierWatcher).value();
}

}  // namespace

QtTrayArea::QtTrayArea(FormRegistry& forms) : forms_(forms) {
    xembedTray_ = std::make_unique<X11TraySelection>([this] { scheduleFollow(); });
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        watcherWatch_ = std::make_unique<QDBusServiceWatcher>(
            kStatusNotifierWatcher, bus, QDBusServiceWatcher::WatchForOwnerChange);
        QObject::connect(watcherWatch_.get(), &QDBusServiceWatcher::serviceOwnerChanged, &context_,
                         [this](const QString&, const QString&, const QString& owner) {
                             watcherPresent_ = !owner.isEmpty();
                             // A new watcher knows no items: every icon registers again.
                             for (auto& [key, entry] : entries_) {
                                 hide(entry);
                             }
                             scheduleFollow();
                         });
        watcherPresent_ = watcherOnBus(bus);
    }
    wasPresent_ = trayPresent();
}

QtTrayArea::~QtTrayArea() {
    for (auto& [key, entry] : entries_) {
        hide(entry);
    }
}

std::uint32_t QtTrayArea::mouseMessageFor(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            return WM_LBUTTONDOWN;
        case QSystemTrayIcon::Context:
            return WM_RBUTTONDOWN;
        case QSystemTrayIcon::DoubleClick:
            return WM_LBUTTONDBLCLK;
        case QSystemTrayIcon::MiddleClick:
            return WM_MBUTTONDOWN;
        case QSystemTrayIcon::Unknown:
            break;
    }
    return 0;
}

bool QtTrayArea::trayPresent() const {
    return bestTray() != Kind::None;
}

QtTrayArea::Kind QtTrayArea::bestTray() const {
    if (watcherPresent_) {
        return Kind::StatusNotifier;
    }
    return xembedTray_ && xembedTray_->owned() ? Kind::XEmbed : Kind::None;
}

void QtTrayArea::add(const NotifyIconData& record, PopupMenu& menu) {
    const Key key{record.hWnd, record.uID};
    if (entries_.count(key) != 0) {
        return;
    }
    auto& entry = entries_[key];
    entry.record = record;
    entry.menu = dynamic_cast<QtPopupMenu*>(&menu);
    show(entry, bestTray());
}

void QtTrayArea::scheduleFollow() {
    if (followScheduled_) {
        return;
    }
    followScheduled_ = true;
    // Out of the event that told us: icons are made and destroyed outside Qt's own handling.
    QMetaObject::invokeMethod(
        &context_,
        [this] {
            followScheduled_ = false;
            followTrays();
        },
        Qt::QueuedConnection);
}

void QtTrayArea::followTrays() {
    const Kind best = bestTray();
    for (auto& [key, entry] : entries_) {
        if (entry.shownOn != best) {
            hide(entry);
            show(entry, best);
        }
    }
    const bool present = best != Kind::None;
    if (present && !wasPresent_ && onAppeared_) {
        onAppeared_();
    }
    wasPresent_ = present;
}

void QtTrayArea::hide(Entry& entry) {
    if (entry.xembed) {
        entry.xembed->hide();
        entry.xembed.release()->deleteLater();
    }
    entry.item.reset();
    entry.shownOn = Kind::None;
}

void QtTrayArea::show(Entry& entry, Kind kind) {
    entry.shownOn = kind;
    const auto window = entry.record.hWnd;
    const auto id = entry.record.uID;
    const auto callback = entry.record.uCallbackMessage;
    if (kind == Kind::StatusNotifier) {
        if (entry.menu == nullptr) {
            return;
        }
        entry.item = std::make_unique<StatusNotifierItem>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                          QStringLiteral("quorvel-status-notifier-%1").arg(id)),
            iconFor(entry.record.hIcon), toQt(entry.record.tip()), entry.menu->menu(), id,
            [this, window, id, callback](std::uint32_t message) {
                forms_.send(window, callback, id, message);
            },
            // Only the program's own icon is in a theme.
            entry.record.hIcon == kProgramIcon ? installedThemedIcon() : ThemedIcon{});
        return;
    }
    if (kind != Kind::XEmbed) {
        return;
    }
    // A panel may take the XEmbed selection and the watcher's name at once, the watcher's signal
    // still on its way. Qt settles its tray kind at the first QSystemTrayIcon for the whole run,
    // and with a watcher there it would register a StatusNotifier item of its own beside ours.
    // The bus sent that signal before this answer: its handler shows the item, once.
    if (watcherOnBus(QDBusConnection::sessionBus())) {
        entry.shownOn = Kind::None;
        return;
    }
    entry.xembed = std::make_unique<QSystemTrayIcon>(iconFor(entry.record.hIcon));
    entry.xembed->setToolTip(toQt(entry.record.tip()));
    // Queued: the handler may pop up a menu or remove this very icon, which must not happen
    // inside the icon's own mouse event.
    QObject::connect(
        entry.xembed.get(), &QSystemTrayIcon::activated, entry.xembed.get(),
        [this, window, id, callback](QSystemTrayIcon::ActivationReason reason) {
            if (const std::uint32_t message = mouseMessageFor(reason)) {
                forms_.send(window, callback, id, message);
            }
        },
        Qt::QueuedConnection);
    entry.xembed->show();
}

void QtTrayArea::remove(const NotifyIconData& record) {
    const auto found = entries_.find({record.hWnd, record.uID});
    if (found == entries_.end()) {
        return;
    }
    hide(found->second);
    entries_.erase(found);
}

}  // namespace quorvel::runtime::qt
