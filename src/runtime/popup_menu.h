// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace quorvel::runtime {

inline constexpr const char* kSeparatorCaption = "-";

struct MenuItem {
    std::string name;
    std::string caption;  // "-" makes a separator
    std::function<void()> onClick;
    std::string description = {};  // what assistive technology reads beside the caption

    bool isSeparator() const { return caption == kSeparatorCaption; }
};

class PopupMenu {
  public:
    virtual ~PopupMenu() = default;
    virtual void setCaption(std::size_t item, const std::string& caption) = 0;
    virtual void setDescription(std::size_t item, const std::string& description) = 0;
    // Shows the items at the mouse pointer and returns when the menu is dismissed; the chosen
    // item's handler has run by then, or runs next from the event loop.
    virtual void popup() = 0;
};

}  // namespace quorvel::runtime
