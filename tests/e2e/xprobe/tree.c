// SPDX-License-Identifier: MIT
// The window tree: the windows of a class, and the wait for a docked icon.
#include <X11/Xutil.h>
#include <stdlib.h>

#include "xprobe.h"

// Walks the tree below WINDOW for viewable windows of CLASS; prints them (PRINT) or stops at
// the first one that is not a child of the root (returns 1).
static int walk(Window window, Window parent, const char* klass, int print) {
    XWindowAttributes a;
    if (window != root && XGetWindowAttributes(dpy, window, &a) && a.map_state == IsViewable &&
        has_class(window, klass)) {
        if (!print && parent != root)
            return 1;
        if (print) {
            int x = 0, y = 0;
            Window child;
            char* title = title_of(window);
            XTranslateCoordinates(dpy, window, root, 0, 0, &x, &y, &child);
            printf("%lu %d %d %d %d %d %d %s\n", (unsigned long)window, x, y, a.width, a.height,
                   a.override_redirect ? 1 : 0, parent == root ? 1 : 0, title);
            free(title);
        }
    }
    Window root_return, parent_return, *children = NULL;
    unsigned int count = 0;
    int found = 0;
    if (XQueryTree(dpy, window, &root_return, &parent_return, &children, &count)) {
        for (unsigned int i = 0; i < count && !found; ++i)
            found = walk(children[i], window, klass, print);
        XFree(children);
    }
    return found;
}

int cmd_find(char** argv) {
    walk(root, None, argv[0], 1);
    return 0;
}

int cmd_wait_dock(char** argv) {
    Atom selection = XInternAtom(dpy, argv[0], False);
    long long deadline = deadline_in_ms(atoll(argv[2]));
    // Steps of a few ms: the first time is what the second is measured from.
    while (XGetSelectionOwner(dpy, selection) == None) {
        if (now_us() >= deadline)
            return 1;
        nap_ms(2);
    }
    long long owned = epoch_ms();
    deadline = deadline_in_ms(atoll(argv[3]));
    for (;;) {
        if (walk(root, None, argv[1], 0)) {
            printf("%lld %lld\n", owned, epoch_ms());
            return 0;
        }
        if (now_us() >= deadline) {
            printf("%lld none\n", owned);
            return 1;
        }
        nap_ms(5);
    }
}
