// SPDX-License-Identifier: MIT
#pragma once

#include <xcb/xcb_ewmh.h>

#include <optional>
#include <string>
#include <vector>

// Readers of GetProperty replies, whose values other clients set as they like: a value of another
// type or format gives nothing. The reply stays the caller's to free.
namespace quorvel::runtime::qt::x11 {

// A WINDOW list (_NET_CLIENT_LIST).
std::vector<xcb_window_t> windowsOf(xcb_get_property_reply_t* reply);

// An ATOM list (_NET_SUPPORTED, WM_PROTOCOLS).
std::vector<xcb_atom_t> atomsOf(xcb_get_property_reply_t* reply);

// A UTF8_STRING text (_NET_WM_NAME), up to its first NUL.
std::optional<std::string> utf8TextOf(xcb_ewmh_connection_t& ewmh, xcb_get_property_reply_t* reply);

// The class, the second of WM_CLASS's two strings; empty when it has none.
std::string windowClassOf(xcb_get_property_reply_t* reply);

}  // namespace quorvel::runtime::qt::x11
