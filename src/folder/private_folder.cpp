// SPDX-License-Identifier: MIT
#include "folder/private_folder.h"

#include "runtime/message_box.h"
#include "runtime/paths.h"

namespace quorvel::folder {

std::string userNameOf(const runtime::SystemInfo& system) {
    const auto name = system.userName();
    return name && !name->empty() ? *name : kDefaultUserName;
}

std::string privateFolderPath(const std::string& applicationFolder, const std::string& userName,
                              char separator) {
    return runtime::joinPath(applicationFolder, userName, separator);
}

bool FileExists(const std::string& privateFolder, const runtime::FileSystem& files) {
    const auto info = files.examine(privateFolder);
    return info && info->kind == runtime::PathInfo::Kind::Directory && info->ownedByCurrentUser;
}

bool openPrivateFolder(const std::string& privateFolder, runtime::Runtime& runtime) {
    if (!FileExists(privateFolder, runtime.files)) {
        const auto refuse = [&](const std::string& text) {
            runtime.messageBox.show(text, runtime::vbCritical | runtime::vbOKOnly,
                                    kFolderErrorTitle);
        };
        if (runtime.files.examine(privateFolder)) {
            // Never reach the folder through another user's directory or through a link.
            refuse(
                "専用フォルダーを開けません。\n同じ名前のファイル、リンク、または他のユーザーの"
                "フォルダーがあります:\n" +
                privateFolder);
            return false;
        }
        if (!runtime.files.createPrivateDirectory(privateFolder)) {
            refuse("専用フォルダーを作成できませんでした:\n" + privateFolder);
            return false;
        }
    }
    runtime.shell.open(privateFolder);
    return true;
}

}  // namespace quorvel::folder
