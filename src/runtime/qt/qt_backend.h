// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "runtime/form_registry.h"
#include "runtime/posix/posix_file_system.h"
#include "runtime/qt/desktop_windows/qt_desktop_windows.h"
#include "runtime/qt/qt_event_loop.h"
#include "runtime/qt/qt_shell.h"
#include "runtime/qt/qt_system_info.h"
#include "runtime/qt/store/qt_settings_store.h"
#include "runtime/qt/termination_signals.h"
#include "runtime/qt/tray/no_tray_notice.h"
#include "runtime/qt/tray/qt_tray_area.h"
#include "runtime/qt/widgets/qt_message_box.h"
#include "runtime/qt/widgets/qt_window_system.h"
#include "runtime/runtime.h"

namespace quorvel::runtime::qt {

// Every port on Qt. Needs a QApplication; reports requests to end the program from outside the
// menu (a termination signal, the end of the session, the no-tray notice's 終了) with the
// unload mode that fits them.
class QtBackend {
  public:
    explicit QtBackend(std::function<void(std::int16_t unloadMode)> onEndRequested);

    Runtime& runtime() { return runtime_; }
    // Runs the event loop until the last window is unloaded.
    int exec();

  private:
    void endRequested(std::int16_t unloadMode);

    QtEventLoop loop_;
    FormRegistry forms_{loop_};
    QtWindowSystem windows_;
    QtTrayArea tray_{forms_};
    QtMessageBox messageBox_;
    QtSettingsStore settings_;
    posix::OpenerSessions openers_;
    QtShell shell_{QStringLiteral("xdg-open"), &openers_};
    QtSystemInfo system_;
    posix::PosixFileSystem files_;
    QtDesktopWindows desktop_{openers_};
    Runtime runtime_{windows_, tray_,  messageBox_, settings_, shell_,
                     system_,  files_, desktop_,    forms_};
    std::function<void(std::int16_t)> onEndRequested_;
    TerminationSignals signals_;
    NoTrayNotice noTray_;
};

}  // namespace quorvel::runtime::qt
