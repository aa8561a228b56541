// SPDX-License-Identifier: MIT
#include "runtime/win32/win32_backend.h"

#include <atomic>

#include "runtime/form.h"

namespace quorvel::runtime::win32 {

namespace {

// The console handler runs on a thread of its own: it may only post to the service window and
// wait for the end to be done.
std::atomic<HWND> consoleTarget{nullptr};
HANDLE endDone = nullptr;
constexpr DWORD kLongestConsoleWaitMilliseconds = 5000;

BOOL WINAPI consoleControl(DWORD event) {
    HWND target = consoleTarget.load();
    if (target == nullptr) {
        return FALSE;
    }
    const bool closing =
        event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
    const std::int16_t mode = event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT
                                  ? vbAppWindows
                                  : vbAppTaskManager;
    PostMessageW(target, Win32Backend::kEndRequestMessage, static_cast<WPARAM>(mode), 0);
    // The process ends when the handler returns from these: the bookmarks must be saved first.
    if (closing && endDone != nullptr) {
        WaitForSingleObject(endDone, kLongestConsoleWaitMilliseconds);
    }
    return TRUE;
}

}  // namespace

Win32Backend::Win32Backend(std::function<void(std::int16_t)> onEndRequested)
    : onEndRequested_(std::move(onEndRequested)),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
    service_.setHandler([this](UINT message, WPARAM wParam, LPARAM lParam) {
        return serviceMessage(message, wParam, lParam);
    });
    endDone = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    consoleTarget.store(service_.hwnd());
    SetConsoleCtrlHandler(&consoleControl, TRUE);
}

Win32Backend::~Win32Backend() {
    SetConsoleCtrlHandler(&consoleControl, FALSE);
    consoleTarget.store(nullptr);
    if (endDone != nullptr) {
        SetEvent(endDone);
        CloseHandle(endDone);
        endDone = nullptr;
    }
    service_.setHandler(nullptr);
}

int Win32Backend::exec() {
    if (forms_.empty()) {
        return 0;
    }
    return Win32EventLoop::run(windows_);
}

std::optional<LRESULT> Win32Backend::serviceMessage(UINT message, WPARAM wParam,
                                                    LPARAM /*lParam*/) {
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        tray_.taskbarCreated();
        return 0;
    }
    switch (message) {
        case WM_QUERYENDSESSION:
            return TRUE;
        case WM_ENDSESSION:
            // The process may be ended as soon as this returns: unload now.
            if (wParam != FALSE) {
                endRequested(vbAppWindows);
            }
            return 0;
        case WM_CLOSE:
            endRequested(vbAppTaskManager);
            return 0;
        case kEndRequestMessage:
            endRequested(static_cast<std::int16_t>(wParam));
            return 0;
        default:
            return std::nullopt;
    }
}

void Win32Backend::endRequested(std::int16_t unloadMode) {
    if (ending_) {
        return;
    }
    ending_ = true;
    messageBox_.endOfSession();
    onEndRequested_(unloadMode);
    if (endDone != nullptr) {
        SetEvent(endDone);
    }
}

}  // namespace quorvel::runtime::win32
