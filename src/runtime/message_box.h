// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace quorvel::runtime {

inline constexpr int vbOKOnly = 0;
inline constexpr int vbCritical = 16;

class MessageBox {
  public:
    virtual ~MessageBox() = default;
    // Modal: returns when the user has closed it. The details (may be empty) are for whoever
    // wants to know more, shown on request, never in place of the text.
    virtual void show(const std::string& text, int style, const std::string& title,
                      const std::string& details) = 0;
    void show(const std::string& text, int style, const std::string& title) {
        show(text, style, title, std::string());
    }
};

}  // namespace quorvel::runtime
