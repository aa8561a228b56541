// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "bookmarks/module1.h"
#include "runtime/runtime.h"

namespace quorvel {

// The whole program over one runtime: it makes the main window and ends it on request.
class Program {
  public:
    explicit Program(runtime::Runtime& runtime) : runtime_(runtime) {}

    // Creates and loads the main window, which performs the start-up.
    void start();
    // The system asks the program to end (a signal, the end of the session): the same unload as
    // the menu's quit. Further requests find nothing left to unload.
    void requestEnd(std::int16_t unloadMode);

  private:
    runtime::Runtime& runtime_;
    Module1 module_;
};

}  // namespace quorvel
