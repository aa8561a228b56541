// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>

namespace quorvel::runtime::qt {

inline constexpr int kTwipsPerInch = 1440;

inline int twipsToPixels(int twips, double dotsPerInch) {
    return static_cast<int>(std::lround(twips * dotsPerInch / kTwipsPerInch));
}

}  // namespace quorvel::runtime::qt
