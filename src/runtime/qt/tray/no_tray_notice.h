// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QTimer>
#include <QVariantMap>
#include <functional>
#include <memory>

class NotificationsProxy;

namespace quorvel::runtime::qt {

// What the user is told once per run when no notification area exists a while after start:
// a line on stderr and, where a notification server runs, a notification whose "終了" action
// ends the program the normal way. The notification goes when a tray appears.
class NoTrayNotice final : public QObject {
    Q_OBJECT

  public:
    static constexpr int kDelayMilliseconds = 10 * 1000;

    // `trayPresent` is asked when the delay has passed; `onQuit` runs for the action.
    NoTrayNotice(std::function<bool()> trayPresent, std::function<void()> onQuit);
    ~NoTrayNotice() override;

    // Starts the one delay of the run (later calls do nothing).
    void start();
    // A tray is there: a notice still shown is withdrawn.
    void trayAppeared();

    static QString text();
    // The notification's hints, the program's picture among them: run from a build tree or an
    // unpacked folder, no theme holds its icon, and a server would draw a missing name broken.
    static QVariantMap hints();

  private:
    void tell();
    void actionInvoked(uint id, const QString& action);
    void notificationClosed(uint id, uint reason);

    std::function<bool()> trayPresent_;
    std::function<void()> onQuit_;
    QTimer delay_;
    bool started_ = false;
    uint shown_ = 0;  // the server's id while the notification is up
    // The notification server (dbus/org.freedesktop.Notifications.xml), once told.
    std::unique_ptr<NotificationsProxy> server_;
};

}  // namespace quorvel::runtime::qt
