// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/win32/win32_api.h"

#include <cstdint>
#include <functional>
#include <optional>

#include "runtime/form_registry.h"
#include "runtime/runtime.h"
#include "runtime/win32/win32_desktop_windows.h"
#include "runtime/win32/win32_event_loop.h"
#include "runtime/win32/win32_file_system.h"
#include "runtime/win32/win32_message_box.h"
#include "runtime/win32/win32_service_window.h"
#include "runtime/win32/win32_settings_store.h"
#include "runtime/win32/win32_shell.h"
#include "runtime/win32/win32_system_info.h"
#include "runtime/win32/win32_tray_area.h"
#include "runtime/win32/win32_window_system.h"

namespace quorvel::runtime::win32 {

// Every port on Win32, on the thread that makes it. Reports the system's requests to end the
// program (the end of the session, a close request such as taskkill's, a console's Ctrl+C or
// close) with the unload mode that fits them, once.
class Win32Backend {
  public:
    explicit Win32Backend(std::function<void(std::int16_t unloadMode)> onEndRequested);
    ~Win32Backend();
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    Runtime& runtime() { return runtime_; }
    Win32WindowSystem& windows() { return windows_; }
    // Runs the message loop until the last window is unloaded.
    int exec();

    // Posted to the service window by the console handler's thread; wParam is the unload mode.
    static constexpr UINT kEndRequestMessage = WM_APP + 1;

  private:
    std::optional<LRESULT> serviceMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void endRequested(std::int16_t unloadMode);

    ServiceWindow service_;
    Win32EventLoop loop_;
    FormRegistry forms_{loop_};
    Win32WindowSystem windows_{forms_, service_.hwnd()};
    Win32TrayArea tray_{windows_};
    Win32MessageBox messageBox_;
    Win32SettingsStore settings_;
    Win32Shell shell_;
    Win32SystemInfo system_;
    Win32FileSystem files_;
    Win32DesktopWindows desktop_;
    Runtime runtime_{windows_, tray_,  messageBox_, settings_, shell_,
                     system_,  files_, desktop_,    forms_};
    std::function<void(std::int16_t)> onEndRequested_;
    UINT taskbarCreated_;
    bool ending_ = false;
};

}  // namespace quorvel::runtime::win32
