// SPDX-License-Identifier: MIT
#include "runtime/qt/tray/x11_tray_selection.h"

#include <QGuiApplication>
#include <cstdlib>
#include <string>

namespace quorvel::runtime::qt {

namespace {

xcb_intern_atom_cookie_t internAtom(xcb_connection_t* connection, const std::string& name) {
    return xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.c_str());
}

xcb_atom_t atomOf(xcb_connection_t* connection, xcb_intern_atom_cookie_t cookie) {
    auto* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

}  // namespace

X11TraySelection::X11TraySelection(std::function<void()> onChange)
    : onChange_(std::move(onChange)) {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    connection_ = x11 ? x11->connection() : nullptr;
    if (connection_ == nullptr) {
        return;
    }
    // The screen Qt connected to, as the display name gives it (":0.1" is screen 1).
    int screenNumber = 0;
    char* host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screenNumber) == 0) {
        screenNumber = 0;
    }
    std::free(host);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && screens.rem > 1; ++i) {
        xcb_screen_next(&screens);
    }
    root_ = screens.data->root;
    // The requests go out together and their replies are collected after: one round trip.
    const auto selection =
        internAtom(connection_, "_NET_SYSTEM_TRAY_S" + std::to_string(screenNumber));
    const auto manager = internAtom(connection_, "MANAGER");
    const auto rootAttributes = xcb_get_window_attributes(connection_, root_);
    selection_ = atomOf(connection_, selection);
    manager_ = atomOf(connection_, manager);
    // A new tray announces itself to the root window's StructureNotify listeners. The root
    // cannot go away, so the change is not checked: it travels with the owner's query.
    if (auto* attributes = xcb_get_window_attributes_reply(connection_, rootAttributes, nullptr)) {
        const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        std::free(attributes);
        xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    }
    qGuiApp->installNativeEventFilter(this);
    followOwner();
}

X11TraySelection::~X11TraySelection() {
    if (connection_ != nullptr && qGuiApp) {
        qGuiApp->removeNativeEventFilter(this);
    }
}

bool X11TraySelection::addStructureNotify(xcb_window_t window) {
    // Our event mask on a window is one per client: keep what Qt selected there.
    auto* attributes = xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, window), nullptr);
    if (attributes == nullptr) {
        return false;
    }
    const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    std::free(attributes);
    xcb_generic_error_t* error = xcb_request_check(
        connection_,
        xcb_change_window_attributes_checked(connection_, window, XCB_CW_EVENT_MASK, &mask));
    const bool done = error == nullptr;
    std::free(error);
    return done;
}

void X11TraySelection::followOwner() {
    // Repeated while an owner dies between being named and being watched.
    for (int attempt = 0; attempt < 8; ++attempt) {
        auto* reply = xcb_get_selection_owner_reply(
            connection_, xcb_get_selection_owner(connection_, selection_), nullptr);
        owner_ = reply ? reply->owner : xcb_window_t{XCB_WINDOW_NONE};
        std::free(reply);
        if (owner_ == XCB_WINDOW_NONE || addStructureNotify(owner_)) {
            return;
        }
    }
    owner_ = XCB_WINDOW_NONE;
}

bool X11TraySelection::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || message == nullptr) {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const xcb_window_t before = owner_;
    switch (event->response_type & ~0x80) {
        case XCB_CLIENT_MESSAGE: {
            const auto* client = reinterpret_cast<const xcb_client_message_event_t*>(event);
            if (client->window == root_ && client->type == manager_ &&
                client->data.data32[1] == selection_) {
                followOwner();
            }
            break;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto* destroyed = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
            if (destroyed->window == owner_ && owner_ != XCB_WINDOW_NONE) {
                followOwner();
                if (owner_ == destroyed->window) {
                    owner_ = XCB_WINDOW_NONE;
                }
            }
            break;
        }
        default:
            break;
    }
    if (owner_ != before) {
        onChange_();
    }
    // Qt's own tray code listens to the same events.
    return false;
}

}  // namespace quorvel::runtime::qt
