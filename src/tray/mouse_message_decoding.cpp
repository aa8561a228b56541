// SPDX-License-Identifier: MIT
#include "tray/mouse_message_decoding.h"

#include <cmath>
#include <limits>

#include "runtime/form.h"

namespace quorvel::tray {

namespace {

// Round to nearest, ties to even; out-of-range or NaN input gives 0 instead of undefined
// behaviour.
std::int32_t toInt32(double value) {
    const double rounded = std::nearbyint(value);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max())) {
        return 0;
    }
    return static_cast<std::int32_t>(rounded);
}

}  // namespace

std::int32_t recoverMouseMessage(float x, std::int16_t scaleMode, int twipsPerPixel) {
    if (scaleMode == runtime::vbPixels) {
        return toInt32(x);
    }
    const std::int32_t divisor = toInt32(twipsPerPixel);
    if (divisor == 0) {
        return 0;
    }
    // In 64 bits: the lowest X over -1 does not fit 32.
    return toInt32(static_cast<double>(std::int64_t{toInt32(x)} / divisor));
}

}  // namespace quorvel::tray
