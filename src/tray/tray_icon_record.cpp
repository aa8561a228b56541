// SPDX-License-Identifier: MIT
#include "tray/tray_icon_record.h"

#include <string>

namespace quorvel::tray {

runtime::NotifyIconData makeTrayIconRecord(runtime::WindowHandle window, runtime::IconHandle icon) {
    using namespace runtime;
    NotifyIconData record;
    record.cbSize = 88;
    record.hWnd = window;
    record.uID = kTrayIconId;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = kTrayCallbackMessage;
    record.hIcon = icon;
    record.setTip(std::string(kTrayTip) + '\0');
    return record;
}

}  // namespace quorvel::tray
