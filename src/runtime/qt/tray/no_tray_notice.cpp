// SPDX-License-Identifier: MIT
#include "runtime/qt/tray/no_tray_notice.h"

#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <cstdio>

#include "notifications_proxy.h"
#include "runtime/qt/common/qt_icons.h"
#include "runtime/qt/tray/dbus_tray_types.h"

namespace quorvel::runtime::qt {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kQuitAction = QStringLiteral("quit");
// Servers draw the picture at 32 to 48 pixels, twice that on a doubled screen.
constexpr int kImageSize = 64;

NotificationImage notificationImage(const QIcon& icon, int size) {
    const QImage image = iconImage(icon, size, QImage::Format_RGBA8888);
    if (image.isNull()) {
        return {};
    }
    return {image.width(),
            image.height(),
            static_cast<int>(image.bytesPerLine()),
            true,
            8,
            4,
            QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes())};
}

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

QVariantMap NoTrayNotice::hints() {
    registerDBusTrayTypes();
    return {{QStringLiteral("desktop-entry"), QStringLiteral("quorvel")},
            {QStringLiteral("image-data"),
             QVariant::fromValue(notificationImage(programIcon(), kImageSize))},
            // Critical: GNOME keeps such a banner, with its action, until it is answered; its
            // message list shows no actions.
            {QStringLiteral("urgency"), QVariant::fromValue(uchar(2))}};
}

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
    // No icon name: GNOME would draw it beside the picture, or broken where no theme has it.
    const QDBusPendingCall notify =
        server_->Notify(QStringLiteral("Quorvel"), 0, QString(), QStringLiteral("Quorvel"), text(),
                        {kQuitAction, QStringLiteral("終了")}, hints(),
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
