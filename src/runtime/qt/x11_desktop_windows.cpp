// SPDX-License-Identifier: MIT
#include "runtime/qt/x11_desktop_windows.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "runtime/qt/file_manager_titles.h"
#include "runtime/qt/x11_window_properties.h"

// After Qt's headers: Xlib's macros (None, Bool, Status) would clash with them.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <xcb/xcb_ewmh.h>

namespace quorvel::runtime::qt {

namespace {

// Every xcb reply is owned by one of these.
template <typename Reply>
using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
Owned<Reply> owned(Reply* reply) {
    return Owned<Reply>(reply, &std::free);
}

// Generous bound for a property read, in 32-bit units.
constexpr std::uint32_t kMaxPropertyLength = 1u << 16;

// A WM_NAME in a legacy encoding (STRING, COMPOUND_TEXT) as UTF-8, by Xlib's own conversion.
std::optional<std::string> legacyText(::Display* display, xcb_get_property_reply_t* reply) {
    if (display == nullptr || reply == nullptr || reply->type == XCB_ATOM_NONE ||
        reply->format != 8) {
        return std::nullopt;
    }
    XTextProperty property{};
    property.value = static_cast<unsigned char*>(xcb_get_property_value(reply));
    property.encoding = reply->type;
    property.format = reply->format;
    property.nitems = static_cast<unsigned long>(xcb_get_property_value_length(reply));
    char** list = nullptr;
    int count = 0;
    if (Xutf8TextPropertyToTextList(display, &property, &list, &count) != Success) {
        return std::nullopt;
    }
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += list[i];
    }
    XFreeStringList(list);
    return text;
}

}  // namespace

class X11DesktopWindows::Display {
  public:
    Display(xcb_connection_t* connection, ::Display* xlib) : connection_(connection), xlib_(xlib) {
        // All the atoms in one round trip, once.
        xcb_intern_atom_cookie_t* ewmhCookies = xcb_ewmh_init_atoms(connection, &ewmh_);
        const auto protocols = xcb_intern_atom(connection, 0, 12, "WM_PROTOCOLS");
        const auto deleteWindow = xcb_intern_atom(connection, 0, 16, "WM_DELETE_WINDOW");
        ready_ = xcb_ewmh_init_atoms_replies(&ewmh_, ewmhCookies, nullptr) != 0;
        const auto protocolsReply = owned(xcb_intern_atom_reply(connection, protocols, nullptr));
        const auto deleteReply = owned(xcb_intern_atom_reply(connection, deleteWindow, nullptr));
        ready_ = ready_ && protocolsReply && deleteReply;
        if (ready_) {
            wmProtocols_ = protocolsReply->atom;
            wmDeleteWindow_ = deleteReply->atom;
        }
    }
    ~Display() {
        if (ready_) {
            xcb_ewmh_connection_wipe(&ewmh_);
        }
    }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    bool ready() const { return ready_; }

    Owned<xcb_get_property_reply_t> reply(xcb_get_property_cookie_t cookie) const {
        return owned(xcb_get_property_reply(connection_, cookie, nullptr));
    }

    xcb_get_property_cookie_t property(xcb_window_t window, xcb_atom_t name) const {
        return xcb_get_property(connection_, 0, window, name, XCB_GET_PROPERTY_TYPE_ANY, 0,
                                kMaxPropertyLength);
    }

    // The top-level windows: the window manager's client list, or without a window manager the
    // root's children.
    std::vector<xcb_window_t> topLevelWindows() {
        const auto tree = xcb_query_tree(connection_, root());
        auto clients = x11::windowsOf(reply(xcb_ewmh_get_client_list(&ewmh_, 0)).get());
        const auto treeReply = owned(xcb_query_tree_reply(connection_, tree, nullptr));
        if (!clients.empty() || !treeReply) {
            return clients;
        }
        const xcb_window_t* children = xcb_query_tree_children(treeReply.get());
        return {children, children + xcb_query_tree_children_length(treeReply.get())};
    }

    // Requests for every window go out together; their replies are collected after.
    std::vector<xcb_window_t> windowsShowing(const FolderWindow& folder) {
        const std::vector<xcb_window_t> windows = topLevelWindows();
        struct Pending {
            xcb_get_property_cookie_t windowClass, netName, name;
        };
        std::vector<Pending> pending;
        pending.reserve(windows.size());
        for (const xcb_window_t window : windows) {
            pending.push_back({property(window, XCB_ATOM_WM_CLASS),
                               xcb_ewmh_get_wm_name(&ewmh_, window),
                               property(window, XCB_ATOM_WM_NAME)});
        }
        std::vector<xcb_window_t> found;
        for (std::size_t i = 0; i < windows.size(); ++i) {
            const std::string windowClass = x11::windowClassOf(reply(pending[i].windowClass).get());
            const auto netName = reply(pending[i].netName);
            const auto name = reply(pending[i].name);
            if (windowClass.empty()) {
                continue;
            }
            // Dolphin's two names differ: either may carry the title it is known by.
            const auto netTitle = x11::utf8TextOf(ewmh_, netName.get());
            const auto title = legacyText(xlib_, name.get());
            if ((netTitle && titleShowsFolder(*netTitle, windowClass, folder)) ||
                (title && titleShowsFolder(*title, windowClass, folder))) {
                found.push_back(windows[i]);
            }
        }
        return found;
    }

    bool close(xcb_window_t window) {
        const auto supportedCookie = xcb_ewmh_get_supported(&ewmh_, 0);
        const auto protocolsCookie = xcb_get_property(connection_, 0, window, wmProtocols_,
                                                      XCB_ATOM_ATOM, 0, kMaxPropertyLength);
        const auto supported = x11::atomsOf(reply(supportedCookie).get());
        const auto protocols = x11::atomsOf(reply(protocolsCookie).get());
        const auto has = [](const std::vector<xcb_atom_t>& atoms, xcb_atom_t atom) {
            return std::find(atoms.begin(), atoms.end(), atom) != atoms.end();
        };
        bool asked = false;
        if (has(supported, ewmh_._NET_CLOSE_WINDOW)) {
            xcb_ewmh_request_close_window(&ewmh_, 0, window, XCB_CURRENT_TIME,
                                          XCB_EWMH_CLIENT_SOURCE_TYPE_NORMAL);
            asked = true;
        } else if (has(protocols, wmDeleteWindow_)) {
            // No window manager to ask: the window's own close protocol, as a window manager
            // would send it.
            xcb_client_message_event_t event{};
            event.response_type = XCB_CLIENT_MESSAGE;
            event.format = 32;
            event.window = window;
            event.type = wmProtocols_;
            event.data.data32[0] = wmDeleteWindow_;
            event.data.data32[1] = XCB_CURRENT_TIME;
            xcb_send_event(connection_, 0, window, XCB_EVENT_MASK_NO_EVENT,
                           reinterpret_cast<const char*>(&event));
            asked = true;
        }
        // Until the server has handled it, so that the request is not lost with the exit.
        std::free(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
        return asked;
    }

  private:
    xcb_window_t root() const { return ewmh_.screens[0]->root; }

    xcb_connection_t* connection_;
    ::Display* xlib_;
    xcb_ewmh_connection_t ewmh_{};
    xcb_atom_t wmProtocols_ = XCB_ATOM_NONE;
    xcb_atom_t wmDeleteWindow_ = XCB_ATOM_NONE;
    bool ready_ = false;
};

X11DesktopWindows::X11DesktopWindows() = default;
X11DesktopWindows::~X11DesktopWindows() = default;

X11DesktopWindows::Display* X11DesktopWindows::display() {
    if (!displayTried_) {
        displayTried_ = true;
        const auto* native =
            qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        xcb_connection_t* connection = native ? native->connection() : nullptr;
        if (connection != nullptr && xcb_connection_has_error(connection) == 0) {
            display_ = std::make_unique<Display>(connection, native->display());
        }
    }
    if (display_ && display_->ready()) {
        return display_.get();
    }
    return nullptr;
}

void X11DesktopWindows::noteWindowsBeforeOpen(const FolderWindow& folder) {
    if (Display* x11 = display()) {
        windowsBeforeOpen_ = x11->windowsShowing(folder);
    }
}

bool X11DesktopWindows::closeFolderWindow(const FolderWindow& folder) {
    Display* x11 = display();
    if (x11 == nullptr) {
        return false;
    }
    // The first window that took the folder's title after this run opened it.
    for (const xcb_window_t window : x11->windowsShowing(folder)) {
        if (std::find(windowsBeforeOpen_.begin(), windowsBeforeOpen_.end(), window) ==
            windowsBeforeOpen_.end()) {
            return x11->close(window);
        }
    }
    return false;
}

}  // namespace quorvel::runtime::qt
