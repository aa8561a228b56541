// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/desktop_windows.h"
#include "runtime/event_loop.h"
#include "runtime/file_system.h"
#include "runtime/form_registry.h"
#include "runtime/message_box.h"
#include "runtime/settings_store.h"
#include "runtime/shell.h"
#include "runtime/system_info.h"
#include "runtime/tray_area.h"
#include "runtime/window_system.h"

namespace quorvel::runtime {

// Every platform service the program uses, as one bundle of references to a backend.
struct Runtime {
    WindowSystem& windows;
    TrayArea& tray;
    MessageBox& messageBox;
    SettingsStore& settings;
    Shell& shell;
    SystemInfo& system;
    FileSystem& files;
    DesktopWindows& desktop;
    FormRegistry& forms;
};

}  // namespace quorvel::runtime
