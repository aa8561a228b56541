// SPDX-License-Identifier: MIT
#include "runtime/form_registry.h"

#include "runtime/form.h"

namespace quorvel::runtime {

void FormRegistry::add(WindowHandle window, std::weak_ptr<Form> form) {
    forms_[window] = std::move(form);
}

void FormRegistry::remove(WindowHandle window) {
    if (forms_.erase(window) > 0 && forms_.empty()) {
        loop_.quit();
    }
}

bool FormRegistry::send(WindowHandle window, std::uint32_t message, std::uint32_t wParam,
                        std::uint32_t lParam) {
    const auto found = forms_.find(window);
    if (found == forms_.end()) {
        return false;
    }
    const std::shared_ptr<Form> form = found->second.lock();
    if (!form) {
        return false;
    }
    form->windowMessage(message, wParam, lParam);
    return true;
}

}  // namespace quorvel::runtime
