// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/win32/win32_api.h"

#include <functional>
#include <optional>

namespace quorvel::runtime::win32 {

// The backend's own hidden top-level window. It owns the popup menus, so a menu never outlives
// its owner, and hears what the system tells every top-level window: a new task bar, the end
// of the session, a request to close.
class ServiceWindow {
  public:
    static constexpr const wchar_t* kClassName = L"QuorvelService";
    // The handler's result is the message's result; nothing lets the default procedure run.
    using Handler = std::function<std::optional<LRESULT>(UINT, WPARAM, LPARAM)>;

    ServiceWindow();
    ~ServiceWindow();
    ServiceWindow(const ServiceWindow&) = delete;
    ServiceWindow& operator=(const ServiceWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    void setHandler(Handler handler) { handler_ = std::move(handler); }

  private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    Handler handler_;
};

}  // namespace quorvel::runtime::win32
