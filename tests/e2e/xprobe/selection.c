// SPDX-License-Identifier: MIT
// Selections: the tray's (its owner is the tray host), the clipboard's and the primary's.
#include <stdlib.h>

#include "xprobe.h"

int cmd_owner(char** argv) {
    Atom selection = XInternAtom(dpy, argv[0], False);
    long long deadline = deadline_in_ms(argv[1] != NULL ? atoll(argv[1]) : 0);
    Window owner;
    while ((owner = XGetSelectionOwner(dpy, selection)) == None && now_us() < deadline)
        nap_ms(20);
    printf("0x%lx\n", (unsigned long)owner);
    return owner != None ? 0 : 1;
}

int cmd_text(char** argv) {
    Atom selection = XInternAtom(dpy, argv[0], False);
    Atom property = XInternAtom(dpy, "_QUORVEL_E2E_TEXT", False);
    Window window = XCreateSimpleWindow(dpy, root, 0, 0, 1, 1, 0, 0, 0);
    long long deadline = deadline_in_ms(atoll(argv[1]));
    if (XGetSelectionOwner(dpy, selection) == None)
        return 1;
    XConvertSelection(dpy, selection, XInternAtom(dpy, "UTF8_STRING", False), property, window,
                      CurrentTime);
    XFlush(dpy);
    XEvent event;
    while (next_event(&event, deadline)) {
        if (event.type != SelectionNotify)
            continue;
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char* data = NULL;
        if (event.xselection.property == None ||
            XGetWindowProperty(dpy, window, property, 0, 1 << 20, True, AnyPropertyType, &type,
                               &format, &count, &after, &data) != Success ||
            format != 8) {
            return 1;
        }
        fwrite(data, 1, count, stdout);
        XFree(data);
        return 0;
    }
    return 1;
}

int cmd_clear(char** argv) {
    Window window = XCreateSimpleWindow(dpy, root, 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(dpy, XInternAtom(dpy, argv[0], False), window, CurrentTime);
    XDestroyWindow(dpy, window);  // the selection loses its owner with the window
    XSync(dpy, False);
    return 0;
}
