// SPDX-License-Identifier: MIT
// Other X clients: windows the program should or should not close, a stand-in window manager,
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "xprobe.h"

static void set_text(Window window, Atom property, Atom type, const char* text) {
    XChangeProperty(dpy, window, property, type, 8, PropModeReplace, (const unsigned char*)text,
                    (int)strlen(text));
}

static Atom ping_atom(void) {
    return XInternAtom(dpy, "_QUORVEL_E2E_PING", False);
}

int cmd_window(char** argv) {
    const char *net_name = NULL, *wm_name = NULL, *class_name = NULL;
    int with_delete = 1;
    for (int i = 1; argv[i] != NULL; i++) {
        if (strcmp(argv[i], "--title") == 0 && argv[i + 1] != NULL) {
            net_name = wm_name = argv[++i];
        } else if (strcmp(argv[i], "--net-name") == 0 && argv[i + 1] != NULL) {
            net_name = argv[++i];
        } else if (strcmp(argv[i], "--wm-name") == 0 && argv[i + 1] != NULL) {
            wm_name = argv[++i];
        } else if (strcmp(argv[i], "--class") == 0 && argv[i + 1] != NULL) {
            class_name = argv[++i];
        } else if (strcmp(argv[i], "--no-delete") == 0) {
            with_delete = 0;
        } else {
            return 2;
        }
    }
    FILE* log = open_log(argv[0]);
    Atom protocols = XInternAtom(dpy, "WM_PROTOCOLS", False);
    Atom del = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
    Atom ping = ping_atom();
    Window w = XCreateSimpleWindow(dpy, root, 300, 300, 160, 60, 0, 0, 0x336699);
    XSelectInput(dpy, w, StructureNotifyMask);
    if (wm_name != NULL)
        set_text(w, XA_WM_NAME, XA_STRING, wm_name);
    if (net_name != NULL) {
        set_text(w, XInternAtom(dpy, "_NET_WM_NAME", False), XInternAtom(dpy, "UTF8_STRING", False),
                 net_name);
    }
    if (class_name != NULL) {
        XClassHint hint = {(char*)class_name, (char*)class_name};
        XSetClassHint(dpy, w, &hint);
    }
    // A window without WM_DELETE_WINDOW still speaks the protocol, just not that part.
    Atom list[2] = {XInternAtom(dpy, "WM_TAKE_FOCUS", False), del};
    XSetWMProtocols(dpy, w, list, with_delete ? 2 : 1);
    XMapWindow(dpy, w);
    for (;;) {
        XEvent e;
        XNextEvent(dpy, &e);
        if (e.type == MapNotify && e.xmap.window == w) {
            fprintf(log, "mapped 0x%lx\n", (unsigned long)w);
        } else if (e.type == ClientMessage) {
            if (e.xclient.message_type == protocols && (Atom)e.xclient.data.l[0] == del) {
                fprintf(log, "delete\n");
                return 0;
            }
            if (e.xclient.message_type == ping) {
                fprintf(log, "ping %ld\n", e.xclient.data.l[0]);
            } else {
                char* name = XGetAtomName(dpy, e.xclient.message_type);
                fprintf(log, "message %s\n", name ? name : "?");
                XFree(name);
            }
        }
    }
}

int cmd_wm(char** argv) {
    FILE* log = open_log(argv[0]);
    Atom supported[2] = {XInternAtom(dpy, "_NET_CLOSE_WINDOW", False),
                         XInternAtom(dpy, "_NET_ACTIVE_WINDOW", False)};
    Atom ping = ping_atom();
    Window self = XCreateSimpleWindow(dpy, root, 0, 0, 1, 1, 0, 0, 0);
    int n = 0;
    while (argv[n + 1] != NULL)
        n++;
    Window* clients = calloc((size_t)n + 1, sizeof *clients);
    for (int i = 1; i <= n; i++) {
        Window client = parse_window(argv[i]);
        XWindowAttributes a;
        if (!XGetWindowAttributes(dpy, client, &a))
            bad_usage("no window %s", argv[i]);
        Window frame = XCreateSimpleWindow(dpy, root, a.x, a.y, (unsigned)a.width + 8,
                                           (unsigned)a.height + 24, 0, 0, 0x999999);
        XReparentWindow(dpy, client, frame, 4, 20);
        XMapWindow(dpy, frame);
        clients[i - 1] = client;
    }
    if (n > 0) {
        XChangeProperty(dpy, root, XInternAtom(dpy, "_NET_CLIENT_LIST", False), XA_WINDOW, 32,
                        PropModeReplace, (const unsigned char*)clients, n);
    }
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XChangeProperty(dpy, root, XInternAtom(dpy, "_NET_SUPPORTED", False), XA_ATOM, 32,
                    PropModeReplace, (const unsigned char*)supported, 2);
    XSync(dpy, False);
    fprintf(log, "ready 0x%lx\n", (unsigned long)self);
    for (;;) {
        XEvent e;
        XNextEvent(dpy, &e);
        if (e.type != ClientMessage)
            continue;
        if (e.xclient.message_type == ping) {
            fprintf(log, "ping %ld\n", e.xclient.data.l[0]);
            continue;
        }
        char* name = XGetAtomName(dpy, e.xclient.message_type);
        fprintf(log, "message %s 0x%lx %ld %ld\n", name ? name : "?",
                (unsigned long)e.xclient.window, e.xclient.data.l[0], e.xclient.data.l[1]);
        XFree(name);
    }
}

int cmd_many(char** argv) {
    long n = atol(argv[0]);
    Atom net_name = XInternAtom(dpy, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
    XClassHint hint = {argv[1], argv[1]};
    for (long i = 1; i <= n; i++) {
        char title[32];
        snprintf(title, sizeof title, "w%ld", i);
        // 2 by 2, side by side below the tray: overlapping siblings cost the server dearly.
        Window w = XCreateSimpleWindow(dpy, root, (int)(i % 500) * 2, 100 + (int)(i / 500) * 2, 2,
                                       2, 0, 0, 0);
        set_text(w, XA_WM_NAME, XA_STRING, title);
        set_text(w, net_name, utf8, title);
        XSetClassHint(dpy, w, &hint);
        XMapWindow(dpy, w);
    }
    XSync(dpy, False);
    printf("mapped %ld\n", n);
    fflush(stdout);
    for (;;)
        pause();
}

int cmd_ping(char** argv) {
    Window w = parse_window(argv[0]);
    send_message(w, w, ping_atom(), atol(argv[1]), 0);
    return 0;
}

int cmd_close(char** argv) {
    Window w = parse_window(argv[0]);
    send_message(w, w, XInternAtom(dpy, "WM_PROTOCOLS", False),
                 (long)XInternAtom(dpy, "WM_DELETE_WINDOW", False), CurrentTime);
    return 0;
}
