#pragma once

#include <optional>
#include <string>

namespace quorvel::runtime::qt {

// Before the toolkit starts: why no display it would use can be reached, as one line; nothing
// when one can. Reads QT_QPA_PLATFORM, DISPLAY and WAYLAND_DISPLAY and tries to connect.
std::optional<std::string> unreachableDisplay();

}  // namespace quorvel::runtime::qt
