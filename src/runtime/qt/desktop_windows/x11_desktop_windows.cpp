// SPDX-License-Identifier: MIT
#include "runtime/qt/desktop_windows/x11_desktop_windows.h"

#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "runtime/qt/desktop_windows/file_manager_titles.h"
#include "runtime/qt/desktop_windows/x11_window_properties.h"

// After Qt's headers: Xlib's macros (None, Bool, Status) would clash with them.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <xcb/res.h>
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

// A top-level window as the folder's tests see it.
struct Shown {
    xcb_window_t window;
    std::string windowClass;
    std::optional<std::string> netTitle, title;  // _NET_WM_NAME, WM_NAME
};

// By the table of file managers. Dolphin's two names differ: either may carry the title it is
// known by.
bool showsByTable(const Shown& shown, const FolderWindow& folder) {
    return !shown.windowClass.empty() &&
           ((shown.netTitle && titleShowsFolder(*shown.netTitle, shown.windowClass, folder)) ||
            (shown.title && titleShowsFolder(*shown.title, shown.windowClass, folder)));
}

bool namesFolder(const Shown& shown, const FolderWindow& folder) {
    return (shown.netTitle && titleNamesFolder(*shown.netTitle, folder)) ||
           (shown.title && titleNamesFolder(*shown.title, folder));
}

bool listed(const std::vector<std::uint32_t>& windows, xcb_window_t window) {
    return std::find(windows.begin(), windows.end(), window) != windows.end();
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
        // A request of an extension the server lacks would close the connection: asked only
        // when present, and client ids only from version 1.2 on.
        const xcb_query_extension_reply_t* resource =
            xcb_get_extension_data(connection, &xcb_res_id);
        if (resource != nullptr && resource->present != 0) {
            const auto version = owned(xcb_res_query_version_reply(
                connection, xcb_res_query_version(connection, 1, 2), nullptr));
            resourceIds_ = version && (version->server_major > 1 ||
                                       (version->server_major == 1 && version->server_minor >= 2));
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

    // Every top-level window with its class and titles. Requests for every window go out
    // together; their replies are collected after.
    std::vector<Shown> windowsNow() {
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
        std::vector<Shown> shown;
        shown.reserve(windows.size());
        for (std::size_t i = 0; i < windows.size(); ++i) {
            const auto netName = reply(pending[i].netName);
            const auto name = reply(pending[i].name);
            shown.push_back({windows[i], x11::windowClassOf(reply(pending[i].windowClass).get()),
                             x11::utf8TextOf(ewmh_, netName.get()), legacyText(xlib_, name.get())});
        }
        return shown;
    }

    // The processes the window may belong to: the one its _NET_WM_PID names, and the one that
    // opened its client's connection, as the server knows it for a local client (X-Resource),
    // for a program that sets no _NET_WM_PID. They differ for one that connects, then forks
    // and lets the parent end (rox-filer).
    std::vector<pid_t> processesOf(xcb_window_t window) {
        const auto netPidCookie = xcb_ewmh_get_wm_pid(&ewmh_, window);
        const xcb_res_client_id_spec_t wanted{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
        const auto idsCookie = resourceIds_ ? xcb_res_query_client_ids(connection_, 1, &wanted)
                                            : xcb_res_query_client_ids_cookie_t{};
        std::vector<pid_t> pids;
        std::uint32_t netPid = 0;
        if (xcb_ewmh_get_wm_pid_reply(&ewmh_, netPidCookie, &netPid, nullptr) != 0 && netPid != 0) {
            pids.push_back(static_cast<pid_t>(netPid));
        }
        if (!resourceIds_) {
            return pids;
        }
        const auto ids = owned(xcb_res_query_client_ids_reply(connection_, idsCookie, nullptr));
        if (!ids) {
            return pids;
        }
        for (auto it = xcb_res_query_client_ids_ids_iterator(ids.get()); it.rem > 0;
             xcb_res_client_id_value_next(&it)) {
            if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) != 0 &&
                xcb_res_client_id_value_value_length(it.data) == 1) {
                pids.push_back(static_cast<pid_t>(*xcb_res_client_id_value_value(it.data)));
            }
        }
        return pids;
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
    bool resourceIds_ = false;
};

X11DesktopWindows::X11DesktopWindows(const posix::OpenerSessions* openers) : openers_(openers) {}
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
        windowsBeforeOpen_.clear();
        windowsAtOpen_.clear();
        for (const Shown& shown : x11->windowsNow()) {
            windowsAtOpen_.push_back(shown.window);
            if (showsByTable(shown, folder)) {
                windowsBeforeOpen_.push_back(shown.window);
            }
        }
    }
}

bool X11DesktopWindows::closeFolderWindow(const FolderWindow& folder) {
    Display* x11 = display();
    if (x11 == nullptr) {
        return false;
    }
    const auto byOpener = [&](const Shown& shown) {
        const bool existed = listed(windowsAtOpen_, shown.window);
        // Its processes cost a round trip: asked only of a window the rule could still take.
        if (openers_ == nullptr || existed || !namesFolder(shown, folder)) {
            return false;
        }
        const std::vector<pid_t> pids = x11->processesOf(shown.window);
        const bool inSession = std::any_of(
            pids.begin(), pids.end(), [&](pid_t pid) { return openers_->holds(folder.path, pid); });
        const auto shows = [&](const std::optional<std::string>& title) {
            return title && openerWindowShowsFolder(*title, inSession, existed, folder);
        };
        return shows(shown.netTitle) || shows(shown.title);
    };
    // The first window that took the folder's title after this run opened it.
    for (const Shown& shown : x11->windowsNow()) {
        if (!listed(windowsBeforeOpen_, shown.window) &&
            (showsByTable(shown, folder) || byOpener(shown))) {
            return x11->close(shown.window);
        }
    }
    return false;
}

}  // namespace quorvel::runtime::qt
