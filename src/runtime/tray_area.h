// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/notify_icon_data.h"
#include "runtime/popup_menu.h"

namespace quorvel::runtime {

// The notification area. Each mouse event over an added icon is sent to the record's window as
// its callback message, with the icon's id as wParam and the mouse message as lParam.
class TrayArea {
  public:
    virtual ~TrayArea() = default;
    // `menu` is the icon's popup menu, for trays that draw an icon's menu themselves; others
    // leave it to the program, which pops it up on the right press.
    virtual void add(const NotifyIconData& record, PopupMenu& menu) = 0;
    virtual void remove(const NotifyIconData& record) = 0;
};

}  // namespace quorvel::runtime
