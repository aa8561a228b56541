// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace quorvel::runtime {

// Opaque numbers a backend hands out for its windows and icons; 0 means none.
using WindowHandle = std::uint32_t;
using IconHandle = std::uint32_t;

}  // namespace quorvel::runtime
