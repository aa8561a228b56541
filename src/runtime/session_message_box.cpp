// SPDX-License-Identifier: MIT
#include "runtime/session_message_box.h"

namespace quorvel::runtime {

void SessionMessageBox::show(const std::string& text, int style, const std::string& title,
                             const std::string& details) {
    // Whoever reads the standard error gets the details even when a box has no room for them.
    if (!details.empty()) {
        writeError("quorvel: " + title + ": " + details + "\n");
    }
    if (ending_) {
        writeError(title + ": " + text + "\n");
        return;
    }
    showModal(text, style, title, details);
}

void SessionMessageBox::endOfSession() {
    ending_ = true;
    closeShown();
}

}  // namespace quorvel::runtime
