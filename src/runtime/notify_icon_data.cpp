// SPDX-License-Identifier: MIT
#include "runtime/notify_icon_data.h"

#include <algorithm>

namespace quorvel::runtime {

void NotifyIconData::setTip(std::string_view text) {
    szTip.fill(' ');
    std::copy_n(text.begin(), std::min(text.size(), szTip.size()), szTip.begin());
}

std::string NotifyIconData::tip() const {
    const auto end = std::find(szTip.begin(), szTip.end(), '\0');
    return std::string(szTip.begin(), end);
}

}  // namespace quorvel::runtime
