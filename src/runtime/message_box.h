#pragma once

#include <string>

namespace quorvel::runtime {

inline constexpr int vbOKOnly = 0;
inline constexpr int vbCritical = 16;

class MessageBox {
  public:
    virtual ~MessageBox() = default;
    // Modal: returns when the user has closed it.
    virtual void show(const std::string& text, int style, const std::string& title) = 0;
};

}  // namespace quorvel::runtime
