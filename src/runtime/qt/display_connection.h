// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <string>

#include "runtime/display_answer.h"

namespace quorvel::runtime::qt {

// Before the toolkit starts: tries the display servers the environment names, as the toolkit's
// platform plugins would find them, and hangs up. A compositor that takes the connection and
// does not answer within `bound` is silent; an X server that does not ends the program there,
// with `lineIfSilent` on stderr and status 1 (libxcb's wait cannot be cut short).
DisplayAnswer tryX11Display(std::chrono::milliseconds bound, const std::string& lineIfSilent);
DisplayAnswer tryWaylandDisplay(std::chrono::milliseconds bound);

}  // namespace quorvel::runtime::qt
