// SPDX-License-Identifier: MIT
#include "bookmarks/frm_url_edit.h"

#include "bookmarks/bookmark_store.h"
#include "bookmarks/frm_url_edit_design.h"
#include "bookmarks/module1.h"

namespace quorvel::bookmarks {

frmUrlEdit::frmUrlEdit(Module1& module, runtime::Runtime& runtime)
    : runtime::Form(runtime, frmUrlEditDesign()), module_(module) {}

void frmUrlEdit::Form_Load() {
    for (std::size_t i = 0; i < kBookmarkCount; ++i) {
        const int row = static_cast<int>(i);
        window()->setText("txtTitle", row, module_.UrlTitle[i]);
        window()->setText("txtURL", row, module_.UrlAddress[i]);
    }
}

void frmUrlEdit::Control_Click(const std::string& name, int /*index*/) {
    if (name == "cmdOK") {
        cmdOK_Click();
    } else if (name == "Command1") {
        Command1_Click();
    }
}

std::string frmUrlEdit::box(const char* control, std::size_t row) const {
    return window()->text(control, static_cast<int>(row));
}

void frmUrlEdit::cmdOK_Click() {
    for (std::size_t i = 0; i < kBookmarkCount; ++i) {
        const std::string title = box("txtTitle", i);
        module_.UrlTitle[i] = title.empty() ? kDefaultTitle : title;
        const std::string url = box("txtURL", i);
        module_.UrlAddress[i] = url.empty() ? DefaultUrl : url;
    }
    if (module_.Form1) {
        module_.Form1->SetUrlMenu();
    }
    // Saved now as well as at exit, so that a crash or a killed session loses no confirmed edit.
    if (saveBookmarks(module_, module_.StoredUrls, runtime().settings, runtime().messageBox,
                      kEditSaveErrorTitle) == SaveResult::TookOtherRows &&
        module_.Form1) {
        module_.Form1->SetUrlMenu();
    }
    unload();
    module_.frmUrlEdit.reset();
}

void frmUrlEdit::Command1_Click() {
    unload();
    module_.frmUrlEdit.reset();
}

}  // namespace quorvel::bookmarks
