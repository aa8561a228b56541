// SPDX-License-Identifier: MIT
#include "runtime/qt/desktop_windows/x11_window_properties.h"

#include <cstring>
#include <string_view>

namespace quorvel::runtime::qt::x11 {

// ewmh's readers only point into the reply (its wipe would free it): the caller keeps owning it.

std::vector<xcb_window_t> windowsOf(xcb_get_property_reply_t* reply) {
    xcb_ewmh_get_windows_reply_t windows{};
    if (reply == nullptr || xcb_ewmh_get_windows_from_reply(&windows, reply) == 0) {
        return {};
    }
    return {windows.windows, windows.windows + windows.windows_len};
}

std::vector<xcb_atom_t> atomsOf(xcb_get_property_reply_t* reply) {
    xcb_ewmh_get_atoms_reply_t atoms{};
    if (reply == nullptr || xcb_ewmh_get_atoms_from_reply(&atoms, reply) == 0) {
        return {};
    }
    return {atoms.atoms, atoms.atoms + atoms.atoms_len};
}

std::optional<std::string> utf8TextOf(xcb_ewmh_connection_t& ewmh,
                                      xcb_get_property_reply_t* reply) {
    xcb_ewmh_get_utf8_strings_reply_t text{};
    if (reply == nullptr || xcb_ewmh_get_utf8_strings_from_reply(&ewmh, &text, reply) == 0) {
        return std::nullopt;
    }
    const std::string_view value(text.strings, text.strings_len);
    return std::string(value.substr(0, value.find('\0')));
}

std::string windowClassOf(xcb_get_property_reply_t* reply) {
    if (reply == nullptr || reply->type != XCB_ATOM_STRING || reply->format != 8) {
        return {};
    }
    const std::string_view value(static_cast<const char*>(xcb_get_property_value(reply)),
                                 static_cast<std::size_t>(xcb_get_property_value_length(reply)));
    const std::size_t end = value.find('\0');
    if (end == std::string_view::npos) {
        return {};
    }
    const std::string_view rest = value.substr(end + 1);
    return std::string(rest.substr(0, rest.find('\0')));
}

}  // namespace quorvel::runtime::qt::x11
