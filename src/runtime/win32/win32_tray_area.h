// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/win32/win32_api.h"

#include <map>
#include <utility>

#include "runtime/tray_area.h"

namespace quorvel::runtime::win32 {

class Win32WindowSystem;

// Shell_NotifyIconW. The shell posts each mouse event over the icon to the record's window as
// its callback message; that window hands it to the form. The menu is the program's to pop up.
class Win32TrayArea final : public TrayArea {
  public:
    explicit Win32TrayArea(Win32WindowSystem& windows) : windows_(windows) {}
    ~Win32TrayArea() override;
    Win32TrayArea(const Win32TrayArea&) = delete;
    Win32TrayArea& operator=(const Win32TrayArea&) = delete;

    void add(const NotifyIconData& record, PopupMenu& menu) override;
    void remove(const NotifyIconData& record) override;

    // The task bar was made anew (explorer restarted, or started after the program): it has
    // forgotten every icon, so each is added again.
    void taskbarCreated();

  private:
    bool notify(DWORD message, const NotifyIconData& record) const;
    void route(const NotifyIconData& record, bool routed) const;

    Win32WindowSystem& windows_;
    std::map<std::pair<WindowHandle, std::uint32_t>, NotifyIconData> icons_;
};

}  // namespace quorvel::runtime::win32
