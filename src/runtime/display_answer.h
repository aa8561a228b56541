// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace quorvel::runtime {

// What an attempt to connect to a display server found.
struct DisplayAnswer {
    enum class Kind { Answered, Refused, Silent };
    Kind kind = Kind::Answered;
    std::string said;  // a refusing server's own reason, when it gave one
};

}  // namespace quorvel::runtime
