// SPDX-License-Identifier: MIT
// Waits on X events within a deadline (now_us() time), never on a tool started per step.
#include <poll.h>
#include <stdlib.h>
#include <string.h>

#include "xprobe.h"

// The window whose closing is awaited: its unmap may arrive while waiting for something else.
static Window watched;
static int watched_gone;

// The next event, or 0 once the deadline has passed.
int next_event(XEvent* event, long long deadline) {
    while (XPending(dpy) == 0) {
        long long left = deadline - now_us();
        if (left <= 0)
            return 0;
        struct pollfd fd = {ConnectionNumber(dpy), POLLIN, 0};
        poll(&fd, 1, (int)((left + 999) / 1000));
    }
    XNextEvent(dpy, event);
    if ((event->type == UnmapNotify && event->xunmap.window == watched) ||
        (event->type == DestroyNotify && event->xdestroywindow.window == watched)) {
        watched_gone = 1;
    }
    return 1;
}

void watch(Window window) {
    watched = window;
    watched_gone = 0;
}

// 1 once the watched window is unmapped or destroyed, 0 at the deadline.
int wait_gone(long long deadline) {
    XEvent event;
    while (!watched_gone && next_event(&event, deadline)) {
    }
    return watched_gone;
}

static int is_tooltip(Window window) {
    long type = cardinal(window, "_NET_WM_WINDOW_TYPE");
    return type >= 0 && (Atom)type == XInternAtom(dpy, "_NET_WM_WINDOW_TYPE_TOOLTIP", False);
}

static int matches(Window window, int override_redirect, const struct wanted* want) {
    if (!!override_redirect != !!want->popup || (want->popup && is_tooltip(window)))
        return 0;
    if ((want->pid > 0 && cardinal(window, "_NET_WM_PID") != want->pid) ||
        (want->klass != NULL && !has_class(window, want->klass))) {
        return 0;
    }
    if (want->title == NULL)
        return 1;
    char* title = title_of(window);
    int same = strcmp(title, want->title) == 0;
    free(title);
    return same;
}

// The next top-level window mapped that is WANT; None at the deadline. The caller selects
// SubstructureNotify on the root.
Window wait_mapped(const struct wanted* want, long long deadline) {
    XEvent event;
    while (next_event(&event, deadline)) {
        if (event.type == MapNotify && event.xmap.event == root &&
            matches(event.xmap.window, event.xmap.override_redirect, want)) {
            return event.xmap.window;
        }
    }
    return None;
}
