/* Drives the program's tray menu and editor for the long-use soaks with XTest, waiting on X
 * events (bounded) rather than starting a tool per step, so that 1,000 cycles stay quick.
 *   xdrive menu N X1 Y1 X2 Y2         N times: right press on the icon, alternating between the
 *                                     two points (a second press at one spot would be a double
 *                                     click), wait for the painted popup, Escape, wait until gone
 *   xdrive editor N X1 Y1 X2 Y2 MODE  N times: open the menu, Down x6 Return (URL編集), wait for
 *                                     the painted editor, press Cancel (MODE cancel), OK (ok) or
 *                                     each in turn (both), wait until it is gone
 * Each wait is bounded by XDRIVE_TIMEOUT_MS (default 10000). Exit 1 on a failed wait. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/select.h>
#include <sys/time.h>
#include <unistd.h>

static Display* d;
static Window root;
static long timeout_ms = 10000;
static const char* kEditorTitle = "Quorvel Private URL Editor";

static long now_ms(void) {
    struct timeval t;
    gettimeofday(&t, NULL);
    return t.tv_sec * 1000L + t.tv_usec / 1000L;
}

static int is_program_window(Window w) {
    XClassHint hint = {0, 0};
    int ours = 0;
    if (XGetClassHint(d, w, &hint)) {
        ours = hint.res_name && strcmp(hint.res_name, "quorvel") == 0;
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    return ours;
}

static int has_title(Window w, const char* title) {
    Atom net_name = XInternAtom(d, "_NET_WM_NAME", False);
    Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    Atom type;
    int format;
    unsigned long n, rest;
    unsigned char* data = NULL;
    int match = 0;
    if (XGetWindowProperty(d, w, net_name, 0, 256, False, utf8, &type, &format, &n, &rest, &data) ==
            Success &&
        data) {
        match = strcmp((char*)data, title) == 0;
        XFree(data);
    }
    return match;
}

/* The window whose closing is awaited; its unmap may arrive while waiting for something else. */
static Window watched;
static int watched_gone;

/* Waits for the next X event within the deadline; 0 on timeout. */
static int next_event(XEvent* ev, long deadline) {
    while (!XPending(d)) {
        long left = deadline - now_ms();
        if (left <= 0)
            return 0;
        int fd = ConnectionNumber(d);
        fd_set set;
        FD_ZERO(&set);
        FD_SET(fd, &set);
        struct timeval tv = {left / 1000, (left % 1000) * 1000};
        select(fd + 1, &set, NULL, NULL, &tv);
    }
    XNextEvent(d, ev);
    if ((ev->type == UnmapNotify && ev->xunmap.window == watched) ||
        (ev->type == DestroyNotify && ev->xdestroywindow.window == watched))
        watched_gone = 1;
    return 1;
}

static void watch(Window w) {
    watched = w;
    watched_gone = 0;
}

/* A newly mapped top-level window of the program: override-redirect (a popup) or not. */
static Window wait_mapped(int want_popup, const char* what) {
    long deadline = now_ms() + timeout_ms;
    XEvent ev;
    while (next_event(&ev, deadline)) {
        if (ev.type != MapNotify || ev.xmap.event != root)
            continue;
        Window w = ev.xmap.window;
        if (!!ev.xmap.override_redirect != !!want_popup || !is_program_window(w))
            continue;
        if (!want_popup && !has_title(w, kEditorTitle))
            continue;
        return w;
    }
    fprintf(stderr, "xdrive: no %s appeared within %ld ms\n", what, timeout_ms);
    exit(1);
}

/* The window given to watch() has closed. */
static void wait_gone(Window w, const char* what) {
    long deadline = now_ms() + timeout_ms;
    XEvent ev;
    while (!watched_gone) {
        if (!next_event(&ev, deadline))
            break;
    }
    if (watched_gone)
        return;
    fprintf(stderr, "xdrive: the %s 0x%lx did not close within %ld ms\n", what, w, timeout_ms);
    exit(1);
}

static int handle_error(Display* dpy, XErrorEvent* e) {
    (void)dpy;
    (void)e;
    return 0; /* a window may vanish between an event and a query */
}

static int colours(int x, int y, int w, int h) {
    XImage* img = XGetImage(d, root, x, y, (unsigned)w, (unsigned)h, AllPlanes, ZPixmap);
    if (!img)
        return 0;
    unsigned long seen[8];
    int n = 0;
    for (int j = 0; j < h && n < 8; j++)
        for (int i = 0; i < w && n < 8; i++) {
            unsigned long p = XGetPixel(img, i, j) & 0xffffff;
            int k = 0;
            while (k < n && seen[k] != p)
                k++;
            if (k == n)
                seen[n++] = p;
        }
    XDestroyImage(img);
    return n;
}

/* Painted: 8 colours or more in the window's area (a fresh window shows one or two). */
static void wait_painted(Window w, int* x, int* y, const char* what) {
    long deadline = now_ms() + timeout_ms;
    for (;;) {
        XWindowAttributes a;
        if (XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable &&
            colours(a.x, a.y, a.width, a.height) >= 8) {
            *x = a.x;
            *y = a.y;
            return;
        }
        if (now_ms() >= deadline) {
            fprintf(stderr, "xdrive: the %s 0x%lx was not painted within %ld ms\n", what, w,
                    timeout_ms);
            exit(1);
        }
        usleep(20 * 1000); /* 20 ms poll step */
    }
}

static void key(KeySym sym) {
    KeyCode code = XKeysymToKeycode(d, sym);
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XTestFakeKeyEvent(d, code, False, CurrentTime);
    XFlush(d);
}

static void click(int x, int y, unsigned button) {
    XTestFakeMotionEvent(d, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(d, button, True, CurrentTime);
    XTestFakeButtonEvent(d, button, False, CurrentTime);
    XFlush(d);
}

static Window open_menu(int cycle, const int* pts) {
    int side = cycle % 2;
    click(pts[2 * side], pts[2 * side + 1], 3);
    Window menu = wait_mapped(1, "popup menu");
    int x, y;
    watch(menu);
    wait_painted(menu, &x, &y, "popup menu");
    return menu;
}

int main(int argc, char** argv) {
    if (argc < 7 || (strcmp(argv[1], "menu") != 0 && strcmp(argv[1], "editor") != 0) ||
        (strcmp(argv[1], "editor") == 0 && argc < 8)) {
        fprintf(stderr,
                "usage: xdrive menu N X1 Y1 X2 Y2 | xdrive editor N X1 Y1 X2 Y2 cancel|ok|both\n");
        return 2;
    }
    const char* t = getenv("XDRIVE_TIMEOUT_MS");
    if (t && atol(t) > 0)
        timeout_ms = atol(t);
    int n = atoi(argv[2]);
    int pts[4] = {atoi(argv[3]), atoi(argv[4]), atoi(argv[5]), atoi(argv[6])};
    d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "xdrive: cannot open display\n");
        return 2;
    }
    int ev_base, err_base, major, minor;
    if (!XTestQueryExtension(d, &ev_base, &err_base, &major, &minor)) {
        fprintf(stderr, "xdrive: no XTest extension\n");
        return 2;
    }
    XSetErrorHandler(handle_error);
    root = DefaultRootWindow(d);
    XSelectInput(d, root, SubstructureNotifyMask);
    XSync(d, False);
    int editor = strcmp(argv[1], "editor") == 0;
    const char* mode = editor ? argv[7] : "";
    for (int i = 0; i < n; i++) {
        Window menu = open_menu(i, pts);
        if (!editor) {
            key(XK_Escape);
            wait_gone(menu, "popup menu");
            continue;
        }
        for (int k = 0; k < 6; k++)
            key(XK_Down);
        key(XK_Return);
        Window form = wait_mapped(0, "editor window");
        wait_gone(menu, "popup menu");
        watch(form);
        int x, y;
        wait_painted(form, &x, &y, "editor window");
        int ok = strcmp(mode, "ok") == 0 || (strcmp(mode, "both") == 0 && i % 2 == 1);
        /* Client coordinates at 96 dpi: OK at (336,144), Cancel at (248,144), 73x25 each. */
        click(x + (ok ? 336 : 248) + 36, y + 144 + 12, 1);
        wait_gone(form, "editor window");
    }
    printf("xdrive: %d %s cycles done\n", n, argv[1]);
    XCloseDisplay(d);
    return 0;
}
