// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace quorvel::tray {

// Recovers the tray's mouse message from the X of the mouse-down event that carried it: X is
// the message number taken as pixels, converted into the form's scale unit.
std::int32_t recoverMouseMessage(float x, std::int16_t scaleMode, int twipsPerPixel);

}  // namespace quorvel::tray
