// SPDX-License-Identifier: MIT
// The X of the tray's mouse-down events: any float, scale mode and twips per pixel.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "fuzz_check.h"
#include "runtime/form.h"
#include "tray/mouse_message_decoding.h"

// Input: float X, int16 scale mode, int32 twips per pixel, in native byte order.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    float x = 0;
    std::int16_t scaleMode = 0;
    std::int32_t twips = 0;
    if (size != sizeof x + sizeof scaleMode + sizeof twips) {
        return 0;
    }
    std::memcpy(&x, data, sizeof x);
    std::memcpy(&scaleMode, data + sizeof x, sizeof scaleMode);
    std::memcpy(&twips, data + sizeof x + sizeof scaleMode, sizeof twips);

    const std::int32_t message = quorvel::tray::recoverMouseMessage(x, scaleMode, twips);
    const double rounded = std::nearbyint(static_cast<double>(x));
    const bool inRange = rounded >= std::numeric_limits<std::int32_t>::min() &&
                         rounded <= std::numeric_limits<std::int32_t>::max();
    if (scaleMode == quorvel::runtime::vbPixels) {
        check(message == (inRange ? static_cast<std::int32_t>(rounded) : 0));
    } else if (twips == 0 || !inRange) {
        check(message == 0);
    } else {
        check(std::abs(static_cast<std::int64_t>(message)) <=
              std::abs(static_cast<std::int64_t>(rounded)));
    }
    return 0;
}
