#pragma once

#include <chrono>

#include "runtime/display_answer.h"

namespace quorvel::runtime::qt {

// Before the toolkit starts: tries the display servers the environment names, as the toolkit's
// platform plugins would find them, and hangs up. A server that takes the connection and does
// not answer within `bound` is silent.
DisplayAnswer tryX11Display(std::chrono::milliseconds bound);
DisplayAnswer tryWaylandDisplay(std::chrono::milliseconds bound);

}  // namespace quorvel::runtime::qt
