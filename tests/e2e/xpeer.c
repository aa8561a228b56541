// SPDX-License-Identifier: MIT
/* Other X11 clients for the end-to-end scenarios: windows the program should or
 * should not close, a stand-in window manager, clipboard access.
 *   xpeer window LOG [--title T] [--net-name T] [--wm-name T] [--class C] [--no-delete]
 *       maps a top-level window; --title sets both WM_NAME and _NET_WM_NAME,
 *       --class its WM_CLASS (instance and class C),
 *       writes "mapped 0xID" to LOG once mapped, then one line per client
 *       message: "delete" (WM_DELETE_WINDOW: exits 0), "ping N", "message ATOM"
 *   xpeer wm LOG [CLIENT...]
 *       claims _NET_CLOSE_WINDOW and _NET_ACTIVE_WINDOW in _NET_SUPPORTED,
 *       puts each CLIENT into a frame window of its own and lists the clients in
 *       _NET_CLIENT_LIST, as a reparenting window manager does; writes
 *       "ready 0xID" (ID: its own window, for pings), then logs the client
 *       messages sent to the root as "message ATOM 0xWINDOW L0 L1" and pings as "ping N"
 *   xpeer many N CLASS           maps N top-level windows of that WM_CLASS titled
 *       "w1" to "wN" (both title properties), prints "mapped N", then waits
 *   xpeer ping WINDOW N          sends a ping message to WINDOW's owner
 *   xpeer close WINDOW           sends WM_DELETE_WINDOW, as a window manager would
 *   xpeer text SEL MS            prints SEL's text (UTF8_STRING); exit 1 if none within MS
 *   xpeer clear SEL              leaves SEL without an owner
 *   xpeer keys [--check] TEXT... gives every character of TEXT missing from the
 *       keymap a spare keycode (one without keys, or with vendor keys only;
 *       --check: exit 1 if one is missing), so that xdotool types it without
 *       remapping a key for a moment, which races with the program reading the
 *       keymap and loses characters
 * Exit status 2: bad arguments or no display. */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <poll.h>
#include <string.h>
#include <sys/time.h>
#include <unistd.h>

static Display *open_display(void)
{
    Display *d = XOpenDisplay(NULL);
    if (d == NULL) {
        fprintf(stderr, "xpeer: cannot open display\n");
        exit(2);
    }
    return d;
}

static long long now_ms(void)
{
    struct timeval t;
    gettimeofday(&t, NULL);
    return (long long)t.tv_sec * 1000 + t.tv_usec / 1000;
}

static void nap_ms(int ms)
{
    poll(NULL, 0, ms);
}

static FILE *open_log(const char *path)
{
    FILE *f = fopen(path, "a");
    if (f == NULL) {
        perror(path);
        exit(2);
    }
    setvbuf(f, NULL, _IOLBF, 0);
    return f;
}

static Window parse_window(const char *s)
{
    char *end;
    unsigned long id = strtoul(s, &end, 0);
    if (*s == '\0' || *end != '\0' || id == 0) {
        fprintf(stderr, "xpeer: bad window id '%s'\n", s);
        exit(2);
    }
    return (Window)id;
}

static void send_message(Display *d, Window to, Window about, Atom type, long mask, long l0, long l1)
{
    XEvent e;
    memset(&e, 0, sizeof e);
    e.xclient.type = ClientMessage;
    e.xclient.window = about;
    e.xclient.message_type = type;
    e.xclient.format = 32;
    e.xclient.data.l[0] = l0;
    e.xclient.data.l[1] = l1;
    XSendEvent(d, to, False, mask, &e);
    XSync(d, False);
}

static int cmd_window(int argc, char **argv)
{
    const char *net_name = NULL, *wm_name = NULL, *class_name = NULL;
    int with_delete = 1;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--title") == 0 && i + 1 < argc)
            net_name = wm_name = argv[++i];
        else if (strcmp(argv[i], "--net-name") == 0 && i + 1 < argc)
            net_name = argv[++i];
        else if (strcmp(argv[i], "--wm-name") == 0 && i + 1 < argc)
            wm_name = argv[++i];
        else if (strcmp(argv[i], "--class") == 0 && i + 1 < argc)
            class_name = argv[++i];
        else if (strcmp(argv[i], "--no-delete") == 0)
            with_delete = 0;
        else
            return 2;
    }
    FILE *log = open_log(argv[0]);
    Display *d = open_display();
    Atom protocols = XInternAtom(d, "WM_PROTOCOLS", False);
    Atom del = XInternAtom(d, "WM_DELETE_WINDOW", False);
    Atom take_focus = XInternAtom(d, "WM_TAKE_FOCUS", False);
    Atom ping = XInternAtom(d, "_QUORVEL_E2E_PING", False);
    Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 300, 300, 160, 60, 0, 0, 0x336699);
    XSelectInput(d, w, StructureNotifyMask);
    if (wm_name != NULL)
        XChangeProperty(d, w, XA_WM_NAME, XA_STRING, 8, PropModeReplace, (const unsigned char *)wm_name,
                        (int)strlen(wm_name));
    if (net_name != NULL)
        XChangeProperty(d, w, XInternAtom(d, "_NET_WM_NAME", False), XInternAtom(d, "UTF8_STRING", False), 8,
                        PropModeReplace, (const unsigned char *)net_name, (int)strlen(net_name));
    if (class_name != NULL) {
        XClassHint hint = {(char *)class_name, (char *)class_name};
        XSetClassHint(d, w, &hint);
    }
    /* A window without WM_DELETE_WINDOW still speaks the protocol, just not that part. */
    Atom list[2] = {take_focus, del};
    XSetWMProtocols(d, w, list, with_delete ? 2 : 1);
    XMapWindow(d, w);
    for (;;) {
        XEvent e;
        XNextEvent(d, &e);
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
                char *name = XGetAtomName(d, e.xclient.message_type);
                fprintf(log, "message %s\n", name ? name : "?");
                XFree(name);
            }
        }
    }
}

static int cmd_wm(int argc, char **argv)
{
    FILE *log = open_log(argv[0]);
    Display *d = open_display();
    Window root = DefaultRootWindow(d);
    Atom ping = XInternAtom(d, "_QUORVEL_E2E_PING", False);
    Atom supported[2] = {XInternAtom(d, "_NET_CLOSE_WINDOW", False), XInternAtom(d, "_NET_ACTIVE_WINDOW", False)};
    Window self = XCreateSimpleWindow(d, root, 0, 0, 1, 1, 0, 0, 0);
    Window *clients = calloc((size_t)argc, sizeof *clients);
    int n = 0;
    for (int i = 1; i < argc; i++) {
        Window client = parse_window(argv[i]);
        XWindowAttributes a;
        if (!XGetWindowAttributes(d, client, &a))
            return 2;
        Window frame = XCreateSimpleWindow(d, root, a.x, a.y, (unsigned)a.width + 8, (unsigned)a.height + 24, 0, 0,
                                           0x999999);
        XReparentWindow(d, client, frame, 4, 20);
        XMapWindow(d, frame);
        clients[n++] = client;
    }
    if (n > 0)
        XChangeProperty(d, root, XInternAtom(d, "_NET_CLIENT_LIST", False), XA_WINDOW, 32, PropModeReplace,
                        (const unsigned char *)clients, n);
    XSelectInput(d, root, SubstructureNotifyMask);
    XChangeProperty(d, root, XInternAtom(d, "_NET_SUPPORTED", False), XA_ATOM, 32, PropModeReplace,
                    (const unsigned char *)supported, 2);
    XSync(d, False);
    fprintf(log, "ready 0x%lx\n", (unsigned long)self);
    for (;;) {
        XEvent e;
        XNextEvent(d, &e);
        if (e.type != ClientMessage)
            continue;
        if (e.xclient.message_type == ping) {
            fprintf(log, "ping %ld\n", e.xclient.data.l[0]);
            continue;
        }
        char *name = XGetAtomName(d, e.xclient.message_type);
        fprintf(log, "message %s 0x%lx %ld %ld\n", name ? name : "?", (unsigned long)e.xclient.window,
                e.xclient.data.l[0], e.xclient.data.l[1]);
        XFree(name);
    }
}

static int cmd_text(const char *selection, long limit)
{
    Display *d = open_display();
    Atom sel = XInternAtom(d, selection, False);
    Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom prop = XInternAtom(d, "_QUORVEL_E2E_TEXT", False);
    Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
    long long deadline = now_ms() + limit;
    if (XGetSelectionOwner(d, sel) == None)
        return 1;
    XConvertSelection(d, sel, utf8, prop, w, CurrentTime);
    XFlush(d);
    for (;;) {
        XEvent e;
        while (!XPending(d)) {
            if (now_ms() >= deadline)
                return 1;
            nap_ms(2);
        }
        XNextEvent(d, &e);
        if (e.type != SelectionNotify)
            continue;
        if (e.xselection.property == None)
            return 1;
        Atom type;
        int format;
        unsigned long count, after;
        unsigned char *data = NULL;
        if (XGetWindowProperty(d, w, prop, 0, 1 << 20, True, AnyPropertyType, &type, &format, &count, &after,
                               &data) != Success || format != 8)
            return 1;
        fwrite(data, 1, count, stdout);
        XFree(data);
        return 0;
    }
}

/* Next code point of a UTF-8 string, or -1 at its end or on a bad byte. */
static long next_code_point(const unsigned char **p)
{
    const unsigned char *s = *p;
    long c;
    int extra;
    if (*s == 0)
        return -1;
    if (*s < 0x80)
        c = *s, extra = 0;
    else if ((*s & 0xe0) == 0xc0)
        c = *s & 0x1f, extra = 1;
    else if ((*s & 0xf0) == 0xe0)
        c = *s & 0x0f, extra = 2;
    else if ((*s & 0xf8) == 0xf0)
        c = *s & 0x07, extra = 3;
    else
        return -1;
    for (s++; extra > 0; extra--, s++) {
        if ((*s & 0xc0) != 0x80)
            return -1;
        c = c << 6 | (*s & 0x3f);
    }
    *p = s;
    return c;
}

static int cmd_keys(int argc, char **argv)
{
    int check = argc > 0 && strcmp(argv[0], "--check") == 0;
    Display *d = open_display();
    int min, max, per;
    XDisplayKeycodes(d, &min, &max);
    KeySym *map = XGetKeyboardMapping(d, (KeyCode)min, max - min + 1, &per);
    int next = min, missing = 0;
    for (int a = check; a < argc; a++) {
        const unsigned char *p = (const unsigned char *)argv[a];
        long c;
        while ((c = next_code_point(&p)) > 0) {
            if (c < 0x80)
                continue;
            KeySym sym = c < 0x100 ? (KeySym)c : (KeySym)(0x1000000 + c);
            int found = 0;
            for (int k = 0; k < (max - min + 1) * per && !found; k++)
                found = map[k] == sym;
            if (found)
                continue;
            if (check) {
                fprintf(stderr, "xpeer: U+%04lX is not in the keymap\n", c);
                missing = 1;
                continue;
            }
            /* Spare: a keycode with nothing on it, or only vendor (XF86) keys. */
            for (; next <= max; next++) {
                int spare = 1;
                for (int l = 0; l < per; l++) {
                    KeySym k = map[(next - min) * per + l];
                    spare = spare && (k == NoSymbol || (k >= 0x10080000 && k <= 0x1008ffff));
                }
                if (spare)
                    break;
            }
            if (next > max) {
                fprintf(stderr, "xpeer: no spare keycode left for U+%04lX\n", c);
                XSync(d, False);
                return 1;
            }
            /* Both levels, so the character comes with or without Shift. */
            KeySym syms[2] = {sym, sym};
            XChangeKeyboardMapping(d, next, 2, syms, 1);
            for (int l = 0; l < per; l++)
                map[(next - min) * per + l] = l < 2 ? sym : NoSymbol;
            next++;
        }
        if (c < 0) {
            if (*p != 0) {
                fprintf(stderr, "xpeer: bad UTF-8 in '%s'\n", argv[a]);
                return 2;
            }
        }
    }
    XSync(d, False);
    return missing;
}

static int cmd_many(long n, const char *class_name)
{
    Display *d = open_display();
    Atom net_name = XInternAtom(d, "_NET_WM_NAME", False), utf8 = XInternAtom(d, "UTF8_STRING", False);
    XClassHint hint = {(char *)class_name, (char *)class_name};
    for (long i = 1; i <= n; i++) {
        char title[32];
        int length = snprintf(title, sizeof title, "w%ld", i);
        /* 2 by 2, side by side below the tray: overlapping siblings cost the server dearly. */
        Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), (int)(i % 500) * 2, 100 + (int)(i / 500) * 2, 2, 2,
                                       0, 0, 0);
        XChangeProperty(d, w, XA_WM_NAME, XA_STRING, 8, PropModeReplace, (unsigned char *)title, length);
        XChangeProperty(d, w, net_name, utf8, 8, PropModeReplace, (unsigned char *)title, length);
        XSetClassHint(d, w, &hint);
        XMapWindow(d, w);
    }
    XSync(d, False);
    printf("mapped %ld\n", n);
    fflush(stdout);
    for (;;)
        pause();
}

int main(int argc, char **argv)
{
    if (argc == 4 && strcmp(argv[1], "many") == 0)
        return cmd_many(atol(argv[2]), argv[3]);
    if (argc >= 3 && strcmp(argv[1], "window") == 0) {
        int rc = cmd_window(argc - 2, argv + 2);
        if (rc == 2)
            fprintf(stderr, "xpeer window: bad arguments\n");
        return rc;
    }
    if (argc >= 3 && strcmp(argv[1], "wm") == 0)
        return cmd_wm(argc - 2, argv + 2);
    if (argc == 4 && strcmp(argv[1], "ping") == 0) {
        Display *d = open_display();
        send_message(d, parse_window(argv[2]), parse_window(argv[2]), XInternAtom(d, "_QUORVEL_E2E_PING", False),
                     NoEventMask, atol(argv[3]), 0);
        return 0;
    }
    if (argc == 3 && strcmp(argv[1], "close") == 0) {
        Display *d = open_display();
        Window w = parse_window(argv[2]);
        send_message(d, w, w, XInternAtom(d, "WM_PROTOCOLS", False), NoEventMask,
                     (long)XInternAtom(d, "WM_DELETE_WINDOW", False), CurrentTime);
        return 0;
    }
    if (argc == 4 && strcmp(argv[1], "text") == 0)
        return cmd_text(argv[2], atol(argv[3]));
    if (argc >= 3 && strcmp(argv[1], "keys") == 0)
        return cmd_keys(argc - 2, argv + 2);
    if (argc == 3 && strcmp(argv[1], "clear") == 0) {
        Display *d = open_display();
        Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(d, XInternAtom(d, argv[2], False), w, CurrentTime);
        XDestroyWindow(d, w); /* the selection loses its owner with the window */
        XSync(d, False);
        return 0;
    }
    fprintf(stderr, "usage: xpeer window LOG [--title T] [--net-name T] [--wm-name T] [--no-delete] | wm LOG [CLIENT...] | "
                    "ping WINDOW N | close WINDOW | text SEL MS | clear SEL | keys [--check] TEXT...\n");
    return 2;
}
