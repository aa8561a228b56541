// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "runtime/form.h"

namespace quorvel {
struct Module1;
}

namespace quorvel::bookmarks {

inline constexpr const char* kEditSaveErrorTitle = "Quorvel エラー";

// The modeless editor of the five bookmarks. OK takes the boxes into the table (the default for
// an empty box), refreshes the menu and saves; Cancel and the window's close command take
// nothing.
class frmUrlEdit : public runtime::Form {
  public:
    frmUrlEdit(Module1& module, runtime::Runtime& runtime);

    void cmdOK_Click();
    void Command1_Click();

  protected:
    void Form_Load() override;
    void Control_Click(const std::string& name, int index) override;

  private:
    std::string box(const char* control, std::size_t row) const;

    Module1& module_;
};

}  // namespace quorvel::bookmarks
