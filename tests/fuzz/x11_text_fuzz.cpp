// SPDX-License-Identifier: MIT
// Window properties as another client may set them: any type, format, count and bytes, in a
// reply as the X server builds it, read as each property the exit step looks at.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_check.h"
#include "runtime/qt/desktop_windows/file_manager_titles.h"
#include "runtime/qt/desktop_windows/x11_window_properties.h"

using namespace quorvel::runtime::qt;

namespace {

constexpr xcb_atom_t kUtf8String = 300;
constexpr xcb_atom_t kTypes[] = {kUtf8String, XCB_ATOM_STRING, XCB_ATOM_WINDOW, XCB_ATOM_ATOM, 0};

void readAs(xcb_get_property_reply_t* reply, std::uint32_t items) {
    const std::uint8_t format = reply->format;
    const auto windows = x11::windowsOf(reply);
    check(windows.empty() ||
          (reply->type == XCB_ATOM_WINDOW && format == 32 && windows.size() == items));
    const auto atoms = x11::atomsOf(reply);
    check(atoms.empty() || (reply->type == XCB_ATOM_ATOM && format == 32 && atoms.size() == items));

    xcb_ewmh_connection_t ewmh{};
    ewmh.UTF8_STRING = kUtf8String;
    const auto text = x11::utf8TextOf(ewmh, reply);
    check(!text || (reply->type == kUtf8String && format == 8 && text->size() <= items &&
                    text->find('\0') == std::string::npos));
    const std::string windowClass = x11::windowClassOf(reply);
    check(windowClass.empty() ||
          (reply->type == XCB_ATOM_STRING && format == 8 && windowClass.size() < items));
    if (text) {
        const quorvel::runtime::FolderWindow folder{"/home/" + windowClass, windowClass};
        if (titleShowsFolder(*text, windowClass, folder)) {
            check(text->starts_with(windowClass) && !windowClass.empty());
        }
    }
}

}  // namespace

// Input: a byte (bit 7: the count is the whole value), format, 4-byte item count, then the
// value's bytes. The reply is read as each type in turn.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6) {
        return 0;
    }
    const std::uint8_t format = data[1] == 16 || data[1] == 32 ? data[1] : 8;
    std::uint32_t claimed = 0;
    std::memcpy(&claimed, data + 2, 4);
    const std::size_t bytes = size - 6;
    // The server's value_len always counts whole items of the value it sends.
    const auto whole = static_cast<std::uint32_t>(bytes / (format / 8));
    const std::uint32_t items = (data[0] & 0x80) ? whole : std::min(claimed, whole);
    std::vector<std::uint32_t> buffer((sizeof(xcb_get_property_reply_t) + bytes + 3) / 4 + 1);
    auto* reply = reinterpret_cast<xcb_get_property_reply_t*>(buffer.data());
    reply->response_type = XCB_GET_PROPERTY;
    reply->format = format;
    reply->value_len = items;
    reply->length = static_cast<std::uint32_t>((bytes + 3) / 4);
    std::memcpy(buffer.data() + sizeof(xcb_get_property_reply_t) / 4, data + 6, bytes);
    for (const xcb_atom_t type : kTypes) {
        reply->type = type;
        readAs(reply, items);
    }
    return 0;
}
