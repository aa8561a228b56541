// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "bookmarks/main_form.h"
#include "menu/file_menu.h"
#include "runtime/folder_window.h"

namespace quorvel {
struct Module1;
}

namespace quorvel::tray {

inline constexpr const char* kQuitSaveErrorTitle = "Quorvel 終了エラー";

// The hidden main window: it owns the tray icon and the popup menu, and its load and unload
// are the program's start-up and shut-down.
class Form1 : public bookmarks::MainForm {
  public:
    Form1(Module1& module, runtime::Runtime& runtime);

    void SetUrlMenu() override { FileMenu.SetUrlMenu(); }
    void SaveUrlToReg();
    bool FileExists();

    // Empty until the first left press needs them.
    std::string UserName;
    std::string PrivateFolder;
    menu::FileMenu FileMenu;

  protected:
    void Form_Load() override;
    void Form_MouseDown(std::int16_t Button, std::int16_t Shift, float X, float Y) override;
    void Form_QueryUnload(std::int16_t& Cancel, std::int16_t UnloadMode) override;
    void Form_Unload(std::int16_t& Cancel) override;

  private:
    void LoadUrlFromReg();
    void formPrivateFolder();
    runtime::FolderWindow folderWindow() const { return {PrivateFolder, UserName}; }

    Module1& module_;
    // The folder's window is only ours to close once we opened the folder.
    bool privateFolderOpened_ = false;
    bool privateFolderFormed_ = false;
};

}  // namespace quorvel::tray
