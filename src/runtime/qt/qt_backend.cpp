#include "runtime/qt/qt_backend.h"

#include <QApplication>
#include <QSessionManager>

#include "runtime/form.h"

namespace quorvel::runtime::qt {

QtBackend::QtBackend(std::function<void(std::int16_t)> onEndRequested)
    : onEndRequested_(std::move(onEndRequested)),
      signals_([this](int) { endRequested(vbAppTaskManager); }),
      // The notice's quit is the user's request to end, the same as a termination signal.
      noTray_([this] { return tray_.trayPresent(); }, [this] { endRequested(vbAppTaskManager); }) {
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
