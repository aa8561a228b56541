#pragma once

namespace quorvel::runtime::qt {

enum class TrayKind { None, StatusNotifier, XEmbed };

// Which notification area is there now, in the order Qt prefers them: a StatusNotifier host on
// the session bus, else an XEmbed tray on the X display.
TrayKind presentTray();

}  // namespace quorvel::runtime::qt
