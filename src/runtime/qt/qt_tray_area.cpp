#include "runtime/qt/qt_tray_area.h"

#include "runtime/mouse_messages.h"
#include "runtime/qt/qt_icons.h"
#include "runtime/qt/qt_popup_menu.h"
#include "runtime/qt/qt_text.h"
#include "runtime/qt/tray_presence.h"

namespace quorvel::runtime::qt {

namespace {

constexpr int kTrayPollMilliseconds = 250;
constexpr qint64 kLongestTrayWaitMilliseconds = 120 * 1000;

}  // namespace

QtTrayArea::QtTrayArea(FormRegistry& forms) : forms_(forms) {
    trayPoll_.setInterval(kTrayPollMilliseconds);
    QObject::connect(&trayPoll_, &QTimer::timeout, &trayPoll_, [this] { showWaitingIcons(); });
}

QtTrayArea::~QtTrayArea() {
    for (auto& [key, entry] : entries_) {
        if (entry.icon) {
            entry.icon->hide();
        }
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

void QtTrayArea::add(const NotifyIconData& record, PopupMenu& menu) {
    const Key key{record.hWnd, record.uID};
    if (entries_.count(key) != 0) {
        return;
    }
    entries_[key] = Entry{record, dynamic_cast<QtPopupMenu*>(&menu), nullptr};
    waited_.start();
    showWaitingIcons();
}

void QtTrayArea::showWaitingIcons() {
    const TrayKind tray = presentTray();
    if (tray == TrayKind::None && waited_.elapsed() < kLongestTrayWaitMilliseconds) {
        if (!trayPoll_.isActive()) {
            trayPoll_.start();
        }
        return;
    }
    trayPoll_.stop();
    // Past the wait Qt takes XEmbed, which docks whenever a tray appears.
    for (auto& [key, entry] : entries_) {
        if (!entry.icon) {
            show(entry, tray == TrayKind::StatusNotifier);
        }
    }
}

void QtTrayArea::show(Entry& entry, bool hostDrawsMenu) {
    entry.icon = std::make_unique<QSystemTrayIcon>(iconFor(entry.record.hIcon));
    entry.icon->setToolTip(toQt(entry.record.tip()));
    if (hostDrawsMenu && entry.menu != nullptr) {
        entry.icon->setContextMenu(&entry.menu->menu());
    }
    // Queued: the handler may pop up a menu or remove this very icon, which must not happen
    // inside the icon's own mouse event.
    QObject::connect(
        entry.icon.get(), &QSystemTrayIcon::activated, entry.icon.get(),
        [this, hostDrawsMenu, window = entry.record.hWnd, id = entry.record.uID,
         callback = entry.record.uCallbackMessage](QSystemTrayIcon::ActivationReason reason) {
            // A host that draws the menu has shown it already.
            if (hostDrawsMenu && reason == QSystemTrayIcon::Context) {
                return;
            }
            if (const std::uint32_t message = mouseMessageFor(reason)) {
                forms_.send(window, callback, id, message);
            }
        },
        Qt::QueuedConnection);
    entry.icon->show();
}

void QtTrayArea::remove(const NotifyIconData& record) {
    const auto found = entries_.find({record.hWnd, record.uID});
    if (found == entries_.end()) {
        return;
    }
    if (auto& icon = found->second.icon) {
        icon->hide();
        icon.release()->deleteLater();
    }
    entries_.erase(found);
    if (entries_.empty()) {
        trayPoll_.stop();
    }
}

}  // namespace quorvel::runtime::qt
