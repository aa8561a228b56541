// SPDX-License-Identifier: MIT
#include "runtime/qt/qt_backend.h"

#include <QApplication>
#include <QSessionManager>

#include "runtime/form.h"

namespace quorvel::runtime::qt {

QtBackend::QtBackend(std::function<void(std::int16_t)> onEndRequested)
    : onEndRequested_(std::move(onEndRequested)),
      signals_([this](int) { endRequested(vbAppTaskManager); }),
      // The notice's 終了 is the user's own command, as the menu's is: a failed save is shown in
      // its box and answered before the end.
      noTray_([this] { return tray_.trayPresent(); }, [this] { onEndRequested_(vbFormCode); }) {
    // A save waiting for another copy's lock must not hold up the end a signal asks for.
    settings_.setGiveUpWhen([this] { return signals_.pending(); });
    tray_.setOnTrayAppeared([this] { noTray_.trayAppeared(); });
    noTray_.start();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    auto* app = qApp;
    QObject::connect(app, &QGuiApplication::commitDataRequest, app,
                     [this](QSessionManager&) { endRequested(vbAppWindows); });
    // Started at login by autostart; the session must not start a second copy.
    QObject::connect(app, &QGuiApplication::saveStateRequest, app, [](QSessionManager& manager) {
        manager.setRestartHint(QSessionManager::RestartNever);
    });
}

void QtBackend::endRequested(std::int16_t unloadMode) {
    messageBox_.endOfSession();
    onEndRequested_(unloadMode);
}

int QtBackend::exec() {
    if (forms_.empty()) {
        return 0;
    }
    return QApplication::exec();
}

}  // namespace quorvel::runtime::qt
