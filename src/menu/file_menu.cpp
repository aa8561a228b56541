// SPDX-License-Identifier: MIT
#include "menu/file_menu.h"

#include <vector>

#include "bookmarks/frm_url_edit.h"
#include "bookmarks/module1.h"
#include "menu/help_path.h"

namespace quorvel::menu {

FileMenu::FileMenu(Module1& module, runtime::Runtime& runtime)
    : module_(module), runtime_(runtime) {
    using runtime::kSeparatorCaption;
    std::vector<runtime::MenuItem> items{
        {"Url1", "URL 1", [this] { Url1_Click(); }},
        {"Url2", "URL 2", [this] { Url2_Click(); }},
        {"Url3", "URL 3", [this] { Url3_Click(); }},
        {"Url4", "URL 4", [this] { Url4_Click(); }},
        {"Url5", "URL 5", [this] { Url5_Click(); }},
        {"menuLine1", kSeparatorCaption, nullptr},
        {"EditURL", "URL編集", [this] { EditURL_Click(); }},
        {"ShowInfo", "ヘルプ", [this] { ShowInfo_Click(); }},
        {"menuLine3", kSeparatorCaption, nullptr},
        {"QuitMe", "終了", [this] { QuitMe_Click(); }},
    };
    menu_ = runtime_.windows.createMenu(std::move(items));
}

void FileMenu::SetUrlMenu() {
    for (std::size_t i = 0; i < bookmarks::kBookmarkCount; ++i) {
        menu_->setCaption(i, module_.UrlTitle[i]);
        // Five first-run items share one title; a screen reader tells them apart by the URL.
        menu_->setDescription(i, module_.UrlAddress[i]);
    }
}

void FileMenu::popup() {
    menu_->popup();
}

bool FileMenu::shuttingDown() const {
    return module_.Form1 && module_.Form1->unloading();
}

void FileMenu::openBookmark(std::size_t index) {
    if (shuttingDown()) {
        return;
    }
    runtime_.shell.open(module_.UrlAddress[index]);
}

void FileMenu::EditURL_Click() {
    if (shuttingDown()) {
        return;
    }
    if (!module_.frmUrlEdit) {
        module_.frmUrlEdit = std::make_shared<bookmarks::frmUrlEdit>(module_, runtime_);
    }
    // Keeps the editor alive while it is shown, whatever its handlers do to the reference.
    const auto editor = module_.frmUrlEdit;
    editor->show();
}

void FileMenu::ShowInfo_Click() {
    if (shuttingDown()) {
        return;
    }
    const auto& system = runtime_.system;
    runtime_.shell.open(helpPath(system.applicationFolder(), system.pathSeparator()));
}

void FileMenu::QuitMe_Click() {
    // Form1's unload lets go of Form1, which holds this menu: the copy keeps both alive until
    // the handler is done with its members.
    const auto form = module_.Form1;
    if (form) {
        form->unload();
    }
    module_.Form1.reset();
}

}  // namespace quorvel::menu
