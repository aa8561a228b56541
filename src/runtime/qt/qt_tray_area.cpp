#include "runtime/qt/qt_tray_area.h"

#include "runtime/mouse_messages.h"
#include "runtime/qt/qt_icons.h"
#include "runtime/qt/qt_text.h"

namespace quorvel::runtime::qt {

QtTrayArea::~QtTrayArea() {
    for (auto& [key, icon] : icons_) {
        icon->hide();
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

void QtTrayArea::add(const NotifyIconData& record) {
    const Key key{record.hWnd, record.uID};
    if (icons_.count(key) != 0) {
        return;
    }
    auto icon = std::make_unique<QSystemTrayIcon>(iconFor(record.hIcon));
    icon->setToolTip(toQt(record.tip()));
    // Queued: the handler may pop up a menu or remove this very icon, which must not happen
    // inside the icon's own mouse event.
    QObject::connect(
        icon.get(), &QSystemTrayIcon::activated, icon.get(),
        [this, window = record.hWnd, id = record.uID,
         callback = record.uCallbackMessage](QSystemTrayIcon::ActivationReason reason) {
            if (const std::uint32_t message = mouseMessageFor(reason)) {
                forms_.send(window, callback, id, message);
            }
        },
        Qt::QueuedConnection);
    icon->show();
    icons_.emplace(key, std::move(icon));
}

void QtTrayArea::remove(const NotifyIconData& record) {
    const auto found = icons_.find({record.hWnd, record.uID});
    if (found == icons_.end()) {
        return;
    }
    found->second->hide();
    found->second.release()->deleteLater();
    icons_.erase(found);
}

}  // namespace quorvel::runtime::qt
