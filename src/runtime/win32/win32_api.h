// SPDX-License-Identifier: MIT
#pragma once

// <windows.h> for the backend. Some of its macros have the names of things in the port (the
// function macro MessageBox, the constants NIM_ADD and WM_MOUSEMOVE), so the port comes first
// and MessageBox is undefined: the backend calls every W function by its full name.
#include "runtime/mouse_messages.h"
#include "runtime/notify_icon_data.h"
#include "runtime/runtime.h"

// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#undef MessageBox
