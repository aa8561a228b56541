// SPDX-License-Identifier: MIT
#pragma once

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <functional>

namespace quorvel::runtime::qt {

// Follows the XEmbed tray selection (_NET_SYSTEM_TRAY_S<screen>) by events alone: the MANAGER
// message a new owner sends to the root window, and the owner window's destruction. Does
// nothing without an X connection (Wayland, offscreen).
class X11TraySelection final : public QAbstractNativeEventFilter {
  public:
    // `onChange` runs from inside Qt's event handling, whenever the owner changes.
    explicit X11TraySelection(std::function<void()> onChange);
    ~X11TraySelection() override;
    X11TraySelection(const X11TraySelection&) = delete;
    X11TraySelection& operator=(const X11TraySelection&) = delete;

    bool owned() const { return owner_ != XCB_WINDOW_NONE; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    // Watches the current owner (asked from the server) for its end.
    void followOwner();
    bool addStructureNotify(xcb_window_t window);

    std::function<void()> onChange_;
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_WINDOW_NONE;
    xcb_atom_t selection_ = XCB_ATOM_NONE;
    xcb_atom_t manager_ = XCB_ATOM_NONE;
    xcb_window_t owner_ = XCB_WINDOW_NONE;
};

}  // namespace quorvel::runtime::qt
