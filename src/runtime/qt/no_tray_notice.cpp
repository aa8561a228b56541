// SPDX-License-Identifier: MIT
#include "runtime/qt/no_tray_notice.h"

#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <cstdio>

#include "notifications_proxy.h"

namespace quorvel::runtime::qt {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kQuitAction = QStringLiteral("quit");

}  // namespace

NoTrayNotice::NoTrayNotice(std::function<bool()> trayPresent, std::function<void()> onQuit)
    : trayPresent_(std::move(trayPresent)), onQuit_(std::move(onQuit)) {
    delay_.setSingleShot(true);
    delay_.setInterval(kDelayMilliseconds);
    connect(&delay_, &QTimer::timeout, this, [this] {
        if (!trayPresent_()) {
            tell();
        }
    });
}

NoTrayNotice::~NoTrayNotice() = default;

QString NoTrayNotice::text() {
    return QStringLiteral(
        "通知領域（システムトレイ）が見つかりません。通知領域ができるとすぐにアイコンが表示されます"
        "。");
}

void NoTrayNotice::start() {
    // With a tray already there, nothing is armed: no timer wakes the program later.
    if (!started_ && !trayPresent_()) {
        started_ = true;
        delay_.start();
    }
}

void NoTrayNotice::tell() {
    std::fprintf(stderr, "Quorvel: %s\n", text().toUtf8().constData());
    std::fflush(stderr);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    server_ = std::make_unique<NotificationsProxy>(kService, kPath, bus);
    connect(server_.get(), &NotificationsProxy::ActionInvoked, this, &NoTrayNotice::actionInvoked);
    connect(server_.get(), &NotificationsProxy::NotificationClosed, this,
            &NoTrayNotice::notificationClosed);
    const QDBusPendingCall notify =
        server_->Notify(QStringLiteral("Quorvel"), 0, QStringLiteral("quorvel"),
                        QStringLiteral("Quorvel"), text(), {kQuitAction, QStringLiteral("終了")},
                        // Critical: GNOME keeps such a banner, with its action, until it is
                        // answered; its message list shows no actions.
                        {{QStringLiteral("desktop-entry"), QStringLiteral("quorvel")},
                         {QStringLiteral("urgency"), QVariant::fromValue(uchar(2))}},
                        // Never expires: the action stays at hand while there is no tray.
                        0);
    auto* call = new QDBusPendingCallWatcher(notify, this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* done) {
        const QDBusPendingReply<uint> reply = *done;
        // Without a notification server stderr has said it.
        if (reply.isValid()) {
            shown_ = reply.value();
            if (trayPresent_()) {
                trayAppeared();
            }
        }
        done->deleteLater();
    });
}

void NoTrayNotice::trayAppeared() {
    delay_.stop();
    if (shown_ == 0 || !server_) {
        return;
    }
    server_->CloseNotification(shown_);
    shown_ = 0;
}

void NoTrayNotice::actionInvoked(uint id, const QString& action) {
    if (id != 0 && id == shown_ && action == kQuitAction) {
        shown_ = 0;
        onQuit_();
    }
}

void NoTrayNotice::notificationClosed(uint id, uint) {
    if (id == shown_) {
        shown_ = 0;
    }
}

}  // namespace quorvel::runtime::qt
