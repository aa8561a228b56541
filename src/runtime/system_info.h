// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

namespace quorvel::runtime {

class SystemInfo {
  public:
    virtual ~SystemInfo() = default;
    // The folder that holds the executable.
    virtual std::string applicationFolder() const = 0;
    // The login name of the user running the program, when the system knows one.
    virtual std::optional<std::string> userName() const = 0;
    virtual char pathSeparator() const = 0;
};

}  // namespace quorvel::runtime
