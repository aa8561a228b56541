#include "runtime/qt/x11_desktop_windows.h"

#include "runtime/qt/x11_property_decoding.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace quorvel::runtime::qt {

namespace {

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPtr<Reply> owned(Reply* reply) {
    return ReplyPtr<Reply>(reply, &std::free);
}

// Generous bound for a property read, in 32-bit units.
constexpr std::uint32_t kMaxPropertyLength = 1u << 16;

// What the reply says; the value's bytes are the reply's own length, not what it claims.
PropertyReply fields(const xcb_get_property_reply_t* reply) {
    if (reply == nullptr) {
        return {};
    }
    const auto* value = static_cast<const std::uint8_t*>(xcb_get_property_value(reply));
    return {reply->type, reply->format, reply->value_len,
            std::span(value, std::size_t{reply->length} * 4)};
}

class X11 {
  public:
    X11(xcb_connection_t* connection, xcb_window_t root) : connection_(connection), root_(root) {}

    xcb_atom_t atom(const char* name) const {
        const auto reply = owned(xcb_intern_atom_reply(
            connection_,
            xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
            nullptr));
        return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }

    ReplyPtr<xcb_get_property_reply_t> property(xcb_window_t window, xcb_atom_t name,
                                                xcb_atom_t type) const {
        return owned(xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, window, name, type, 0, kMaxPropertyLength), nullptr));
    }

    std::optional<std::string> text(xcb_window_t window, xcb_atom_t name, xcb_atom_t type) const {
        return decodeText(fields(property(window, name, type).get()),
                          {atom("UTF8_STRING"), atom("COMPOUND_TEXT")});
    }

    std::vector<std::uint32_t> list(xcb_window_t window, xcb_atom_t name, xcb_atom_t type) const {
        return decodeList(fields(property(window, name, type).get()));
    }

    // The top-level windows: the window manager's client list, or without a window manager the
    // root's children.
    std::vector<xcb_window_t> topLevelWindows() const {
        auto clients = list(root_, atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW);
        if (!clients.empty()) {
            return clients;
        }
        const auto tree =
            owned(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr));
        if (!tree) {
            return {};
        }
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        return {children, children + xcb_query_tree_children_length(tree.get())};
    }

    std::optional<std::string> title(xcb_window_t window) const {
        if (auto name = text(window, atom("_NET_WM_NAME"), atom("UTF8_STRING"))) {
            return name;
        }
        return text(window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY);
    }

    bool windowManagerSupports(xcb_atom_t feature) const {
        const auto supported = list(root_, atom("_NET_SUPPORTED"), XCB_ATOM_ATOM);
        return std::find(supported.begin(), supported.end(), feature) != supported.end();
    }

    void send(xcb_window_t destination, xcb_window_t window, xcb_atom_t type,
              std::array<std::uint32_t, 5> data, std::uint32_t eventMask) const {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = type;
        std::copy(data.begin(), data.end(), event.data.data32);
        xcb_send_event(connection_, 0, destination, eventMask,
                       reinterpret_cast<const char*>(&event));
    }

    // Waits until the server has handled everything sent so far.
    void sync() const {
        std::free(
            xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    }

    xcb_window_t root() const { return root_; }

  private:
    xcb_connection_t* connection_;
    xcb_window_t root_;
};

constexpr std::uint32_t kSourceApplication = 1;
constexpr std::uint32_t kToWindowManager =
    XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;

}  // namespace

bool X11DesktopWindows::closeWindowTitled(const std::string& title) {
    const auto* native =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = native ? native->connection() : nullptr;
    if (connection == nullptr || xcb_connection_has_error(connection)) {
        return false;
    }
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (screen == nullptr) {
        return false;
    }
    const X11 x11(connection, screen->root);

    xcb_window_t target = XCB_WINDOW_NONE;
    for (const xcb_window_t window : x11.topLevelWindows()) {
        if (x11.title(window) == title) {
            target = window;
            break;
        }
    }
    if (target == XCB_WINDOW_NONE) {
        return false;
    }

    const xcb_atom_t activate = x11.atom("_NET_ACTIVE_WINDOW");
    if (x11.windowManagerSupports(activate)) {
        x11.send(x11.root(), target, activate, {kSourceApplication, XCB_CURRENT_TIME, 0, 0, 0},
                 kToWindowManager);
    }
    bool asked = false;
    const xcb_atom_t close = x11.atom("_NET_CLOSE_WINDOW");
    if (x11.windowManagerSupports(close)) {
        x11.send(x11.root(), target, close, {XCB_CURRENT_TIME, kSourceApplication, 0, 0, 0},
                 kToWindowManager);
        asked = true;
    } else {
        // No window manager to ask: the window's own close protocol, as a window manager would.
        const xcb_atom_t protocols = x11.atom("WM_PROTOCOLS");
        const xcb_atom_t deleteWindow = x11.atom("WM_DELETE_WINDOW");
        const auto supported = x11.list(target, protocols, XCB_ATOM_ATOM);
        if (std::find(supported.begin(), supported.end(), deleteWindow) != supported.end()) {
            x11.send(target, target, protocols, {deleteWindow, XCB_CURRENT_TIME, 0, 0, 0},
                     XCB_EVENT_MASK_NO_EVENT);
            asked = true;
        }
    }
    xcb_flush(connection);
    x11.sync();
    return asked;
}

}  // namespace quorvel::runtime::qt
