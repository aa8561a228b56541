#include "runtime/qt/no_tray_notice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <cstdio>

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

QString NoTrayNotice::text() {
    return QStringLiteral(
        "通知領域（システムトレイ）が見つかりません。通知領域ができるとすぐにアイコンが表示されます"
        "。");
}

void NoTrayNotice::start() {
    if (!started_) {
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
    bus.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this,
                SLOT(actionInvoked(uint, QString)));
    bus.connect(kService, kPath, kService, QStringLiteral("NotificationClosed"), this,
                SLOT(notificationClosed(uint, uint)));
    QDBusMessage notify =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    notify << QStringLiteral("Quorvel") << 0u << QStringLiteral("quorvel")
           << QStringLiteral("Quorvel") << text()
           << QStringList{kQuitAction, QStringLiteral("終了")}
           // Critical: GNOME keeps such a banner, with its action, until it is answered; its
           // message list shows no actions.
           << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("quorvel")},
                          {QStringLiteral("urgency"), QVariant::fromValue(uchar(2))}}
           // Never expires: the action stays at hand while there is no tray.
           << 0;
    auto* call = new QDBusPendingCallWatcher(bus.asyncCall(notify), this);
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
    if (shown_ == 0) {
        return;
    }
    QDBusMessage close = QDBusMessage::createMethodCall(kService, kPath, kService,
                                                        QStringLiteral("CloseNotification"));
    close << shown_;
    QDBusConnection::sessionBus().asyncCall(close);
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
