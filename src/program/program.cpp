// SPDX-License-Identifier: MIT
#include "program/program.h"

#include <memory>

#include "tray/form1.h"

namespace quorvel {

void Program::start() {
    module_.Form1 = std::make_shared<tray::Form1>(module_, runtime_);
    const auto form = module_.Form1;
    form->load();
}

void Program::requestEnd(std::int16_t unloadMode) {
    if (const auto form = module_.Form1) {
        form->unload(unloadMode);
    }
    module_.Form1.reset();
}

}  // namespace quorvel
