// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/form.h"

namespace quorvel::bookmarks {

// What the windows under the main one need of it: the menu refresh after an edit, and the
// unload (from runtime::Form) that ends the program. The main window implements it, so the
// editor and the menu reach it through Module1 without depending on it.
class MainForm : public runtime::Form {
  public:
    using runtime::Form::Form;

    virtual void SetUrlMenu() = 0;
};

}  // namespace quorvel::bookmarks
