// SPDX-License-Identifier: MIT
/* The X11 probe of the end-to-end tests, Linux and Wine alike; no stock tool does these.
 *   xprobe owner SELECTION          prints the selection's owner; exit 1 if none
 *   xprobe grab X Y W H FILE.ppm    saves a screen area as a binary PPM
 *   xprobe diffbox X Y W H FILE.ppm prints "WxH+X+Y" around the pixels that now
 *                                   differ from FILE (relative to the area), or "none"
 *   xprobe colours X Y W H          prints the number of distinct colours (capped at 64)
 *   xprobe find CLASS               viewable windows of that WM_CLASS (name or class), one a
 *                                   line: "ID(decimal) X Y W H OVERRIDE-REDIRECT(0/1) PARENT-IS-ROOT(0/1)
 *                                   TITLE" (_NET_WM_NAME in UTF-8, possibly empty)
 *   xprobe wait-dock SEL CLASS MS1 MS2
 *                                   waits up to MS1 for SEL to get an owner, then up to MS2 for
 *                                   a viewable window of CLASS that is not a child of the root
 *                                   (a docked icon); prints both times (ms since the epoch),
 *                                   "none" for a dock not seen (exit 1)
 *   xprobe soak menu N X1 Y1 X2 Y2  N times through XTest: right press on the icon, alternating
 *                                   between the two points (a second press at one spot would be
 *                                   a double click), wait for the painted popup, Escape, wait
 *                                   until it is gone
 *   xprobe soak editor N X1 Y1 X2 Y2 MODE TITLE OKX OKY CANCELX CANCELY
 *                                   N times: open the menu, Down x6 Return, wait for the painted
 *                                   window TITLE, press Cancel (MODE cancel), OK (ok) or each in
 *                                   turn (both) at those client coordinates, wait until it is gone
 * Soak waits are bounded by XPROBE_TIMEOUT_MS (default 10000) and wait on X events, not on a
 * tool started per step, so that 1,000 cycles stay quick; exit 1 on a failed wait.
 * Exit status 2: bad arguments, no display or unreadable file. Reading the screen here takes
 * milliseconds where ImageMagick's import takes about 0.1 s. */
#define _POSIX_C_SOURCE 200809L
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/time.h>

static Display *d;
static Window root;

/* Windows come and go while they are looked at; one that is gone is skipped. */
static int ignore_error(Display *dpy, XErrorEvent *e)
{
    (void)dpy;
    (void)e;
    return 0;
}

static void open_display(void)
{
    d = XOpenDisplay(NULL);
    if (d == NULL) {
        fprintf(stderr, "xprobe: cannot open display\n");
        exit(2);
    }
    root = DefaultRootWindow(d);
    XSetErrorHandler(ignore_error);
}

static long long now_ms(void)
{
    struct timeval t;
    gettimeofday(&t, NULL);
    return (long long)t.tv_sec * 1000 + t.tv_usec / 1000;
}

static int parse_area(char **argv, int *x, int *y, int *w, int *h)
{
    *x = atoi(argv[0]);
    *y = atoi(argv[1]);
    *w = atoi(argv[2]);
    *h = atoi(argv[3]);
    return *w > 0 && *h > 0;
}

/* The area as packed 0xRRGGBB values, row by row; NULL when it cannot be read. */
static unsigned long *read_area(int x, int y, int w, int h)
{
    XImage *img = XGetImage(d, root, x, y, (unsigned)w, (unsigned)h, AllPlanes, ZPixmap);
    if (img == NULL)
        return NULL;
    unsigned long *px = malloc(sizeof *px * (size_t)w * (size_t)h);
    if (px == NULL)
        exit(2);
    for (int j = 0; j < h; j++)
        for (int i = 0; i < w; i++)
            px[(size_t)j * (size_t)w + (size_t)i] = XGetPixel(img, i, j) & 0xffffffUL;
    XDestroyImage(img);
    return px;
}

static unsigned long *must_read_area(int x, int y, int w, int h)
{
    unsigned long *px = read_area(x, y, w, h);
    if (px == NULL) {
        fprintf(stderr, "xprobe: XGetImage failed for %dx%d+%d+%d\n", w, h, x, y);
        exit(2);
    }
    return px;
}

/* Distinct colours among N pixels, counted up to CAP (at most 64). */
static int count_colours(const unsigned long *px, size_t n, int cap)
{
    unsigned long seen[64];
    int found_n = 0;
    for (size_t k = 0; k < n && found_n < cap && found_n < 64; k++) {
        int found = 0;
        for (int s = 0; s < found_n && !found; s++)
            found = seen[s] == px[k];
        if (!found)
            seen[found_n++] = px[k];
    }
    return found_n;
}

static unsigned long *read_ppm(const char *path, int w, int h)
{
    FILE *f = fopen(path, "rb");
    int fw, fh, max;
    if (f == NULL || fscanf(f, "P6 %d %d %d", &fw, &fh, &max) != 3 || fgetc(f) == EOF || fw != w || fh != h || max != 255) {
        fprintf(stderr, "xprobe: %s is not a %dx%d PPM from xprobe grab\n", path, w, h);
        exit(2);
    }
    unsigned long *px = malloc(sizeof *px * (size_t)w * (size_t)h);
    if (px == NULL)
        exit(2);
    for (size_t k = 0; k < (size_t)w * (size_t)h; k++) {
        unsigned char rgb[3];
        if (fread(rgb, 1, 3, f) != 3) {
            fprintf(stderr, "xprobe: %s is truncated\n", path);
            exit(2);
        }
        px[k] = (unsigned long)rgb[0] << 16 | (unsigned long)rgb[1] << 8 | rgb[2];
    }
    fclose(f);
    return px;
}

static int has_class(Window w, const char *name)
{
    XClassHint hint = {0, 0};
    int match = 0;
    if (XGetClassHint(d, w, &hint)) {
        match = (hint.res_name && strcmp(hint.res_name, name) == 0) || (hint.res_class && strcmp(hint.res_class, name) == 0);
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    return match;
}

/* _NET_WM_NAME, malloc'ed and NUL-terminated ("" when there is none). */
static char *title_of(Window w)
{
    Atom type;
    int format;
    unsigned long count = 0, after;
    unsigned char *data = NULL;
    char *title;
    if (XGetWindowProperty(d, w, XInternAtom(d, "_NET_WM_NAME", False), 0, 1024, False, XInternAtom(d, "UTF8_STRING", False),
                           &type, &format, &count, &after, &data) != Success ||
        data == NULL)
        count = 0;
    title = malloc(count + 1);
    if (title == NULL)
        exit(2);
    memcpy(title, data ? (char *)data : "", count);
    title[count] = '\0';
    XFree(data);
    return title;
}

/* Walks the tree below WINDOW for viewable windows of CLASS; prints them (PRINT) or stops at
 * the first one that is not a child of the root (returns 1). */
static int walk(Window window, Window parent, const char *class, int print)
{
    XWindowAttributes a;
    if (window != root && XGetWindowAttributes(d, window, &a) && a.map_state == IsViewable && has_class(window, class)) {
        if (!print && parent != root)
            return 1;
        if (print) {
            int x = 0, y = 0;
            Window child;
            char *title = title_of(window);
            XTranslateCoordinates(d, window, root, 0, 0, &x, &y, &child);
            printf("%lu %d %d %d %d %d %d %s\n", (unsigned long)window, x, y, a.width, a.height, a.override_redirect ? 1 : 0,
                   parent == root ? 1 : 0, title);
            free(title);
        }
    }
    Window root_return, parent_return, *children = NULL;
    unsigned int count = 0;
    int found = 0;
    if (XQueryTree(d, window, &root_return, &parent_return, &children, &count)) {
        for (unsigned int i = 0; i < count && !found; ++i)
            found = walk(children[i], window, class, print);
        XFree(children);
    }
    return found;
}

static int wait_dock(const char *selection, const char *class, long owner_ms, long dock_ms)
{
    Atom sel = XInternAtom(d, selection, False);
    long long deadline = now_ms() + owner_ms;
    /* Steps of a few ms: the first time is what the second is measured from. */
    while (XGetSelectionOwner(d, sel) == None) {
        if (now_ms() >= deadline)
            return 1;
        poll(NULL, 0, 2);
    }
    long long owned = now_ms();
    deadline = owned + dock_ms;
    for (;;) {
        if (walk(root, None, class, 0)) {
            printf("%lld %lld\n", owned, now_ms());
            return 0;
        }
        if (now_ms() >= deadline) {
            printf("%lld none\n", owned);
            return 1;
        }
        poll(NULL, 0, 5);
    }
}

/* ---------------------------------------------------------------- soaks */

static long soak_timeout_ms = 10000;
/* The window whose closing is awaited; its unmap may arrive while waiting for something else. */
static Window watched;
static int watched_gone;

/* Waits for the next X event within the deadline; 0 on timeout. */
static int next_event(XEvent *ev, long long deadline)
{
    while (!XPending(d)) {
        long long left = deadline - now_ms();
        if (left <= 0)
            return 0;
        struct pollfd p = {ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, (int)left);
    }
    XNextEvent(d, ev);
    if ((ev->type == UnmapNotify && ev->xunmap.window == watched) ||
        (ev->type == DestroyNotify && ev->xdestroywindow.window == watched))
        watched_gone = 1;
    return 1;
}

static void watch(Window w)
{
    watched = w;
    watched_gone = 0;
}

/* A newly mapped top-level window of the program: a popup, or not one and titled TITLE. */
static Window wait_mapped(int want_popup, const char *title, const char *what)
{
    long long deadline = now_ms() + soak_timeout_ms;
    XEvent ev;
    while (next_event(&ev, deadline)) {
        if (ev.type != MapNotify || ev.xmap.event != root)
            continue;
        Window w = ev.xmap.window;
        if (!!ev.xmap.override_redirect != !!want_popup || !has_class(w, "quorvel"))
            continue;
        if (!want_popup) {
            char *t = title_of(w);
            int match = strcmp(t, title) == 0;
            free(t);
            if (!match)
                continue;
        }
        return w;
    }
    fprintf(stderr, "xprobe: no %s appeared within %ld ms\n", what, soak_timeout_ms);
    exit(1);
}

/* The window given to watch() has closed. */
static void wait_gone(Window w, const char *what)
{
    long long deadline = now_ms() + soak_timeout_ms;
    XEvent ev;
    while (!watched_gone && next_event(&ev, deadline))
        ;
    if (watched_gone)
        return;
    fprintf(stderr, "xprobe: the %s 0x%lx did not close within %ld ms\n", what, (unsigned long)w, soak_timeout_ms);
    exit(1);
}

/* Painted: 8 colours or more in the window's area (a fresh window shows one or two). */
static void wait_painted(Window w, int *x, int *y, const char *what)
{
    long long deadline = now_ms() + soak_timeout_ms;
    for (;;) {
        XWindowAttributes a;
        if (XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable) {
            unsigned long *px = read_area(a.x, a.y, a.width, a.height);
            int painted = px != NULL && count_colours(px, (size_t)a.width * (size_t)a.height, 8) >= 8;
            free(px);
            if (painted) {
                *x = a.x;
                *y = a.y;
                return;
            }
        }
        if (now_ms() >= deadline) {
            fprintf(stderr, "xprobe: the %s 0x%lx was not painted within %ld ms\n", what, (unsigned long)w, soak_timeout_ms);
            exit(1);
        }
        poll(NULL, 0, 20);
    }
}

static void key(KeySym sym)
{
    KeyCode code = XKeysymToKeycode(d, sym);
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XTestFakeKeyEvent(d, code, False, CurrentTime);
    XFlush(d);
}

static void click(int x, int y, unsigned button)
{
    XTestFakeMotionEvent(d, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(d, button, True, CurrentTime);
    XTestFakeButtonEvent(d, button, False, CurrentTime);
    XFlush(d);
}

static Window soak_open_menu(int cycle, const int *pts)
{
    int side = cycle % 2, x, y;
    click(pts[2 * side], pts[2 * side + 1], 3);
    Window menu = wait_mapped(1, NULL, "popup menu");
    watch(menu);
    wait_painted(menu, &x, &y, "popup menu");
    return menu;
}

/* ARGV: menu N X1 Y1 X2 Y2 | editor N X1 Y1 X2 Y2 MODE TITLE OKX OKY CANCELX CANCELY */
static int soak(int argc, char **argv)
{
    int editor = strcmp(argv[0], "editor") == 0;
    if (!(argc == 6 && strcmp(argv[0], "menu") == 0) && !(argc == 12 && editor))
        return 2;
    const char *t = getenv("XPROBE_TIMEOUT_MS");
    if (t && atol(t) > 0)
        soak_timeout_ms = atol(t);
    int n = atoi(argv[1]);
    int pts[4] = {atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5])};
    int ev_base, err_base, major, minor;
    open_display();
    if (!XTestQueryExtension(d, &ev_base, &err_base, &major, &minor)) {
        fprintf(stderr, "xprobe: no XTest extension\n");
        return 2;
    }
    XSelectInput(d, root, SubstructureNotifyMask);
    XSync(d, False);
    for (int i = 0; i < n; i++) {
        Window menu = soak_open_menu(i, pts);
        if (!editor) {
            key(XK_Escape);
            wait_gone(menu, "popup menu");
            continue;
        }
        for (int k = 0; k < 6; k++)
            key(XK_Down);
        key(XK_Return);
        Window form = wait_mapped(0, argv[7], "editor window");
        wait_gone(menu, "popup menu");
        watch(form);
        int x, y;
        wait_painted(form, &x, &y, "editor window");
        int ok = strcmp(argv[6], "ok") == 0 || (strcmp(argv[6], "both") == 0 && i % 2 == 1);
        click(x + atoi(argv[ok ? 8 : 10]), y + atoi(argv[ok ? 9 : 11]), 1);
        wait_gone(form, "editor window");
    }
    printf("xprobe: %d %s cycles done\n", n, argv[0]);
    return 0;
}

int main(int argc, char **argv)
{
    int x, y, w, h;
    if (argc == 3 && strcmp(argv[1], "owner") == 0) {
        open_display();
        Window owner = XGetSelectionOwner(d, XInternAtom(d, argv[2], False));
        printf("0x%lx\n", (unsigned long)owner);
        return owner != None ? 0 : 1;
    }
    if (argc == 7 && strcmp(argv[1], "grab") == 0 && parse_area(argv + 2, &x, &y, &w, &h)) {
        open_display();
        unsigned long *px = must_read_area(x, y, w, h);
        FILE *f = fopen(argv[6], "wb");
        if (f == NULL)
            return 2;
        fprintf(f, "P6\n%d %d\n255\n", w, h);
        for (size_t k = 0; k < (size_t)w * (size_t)h; k++) {
            unsigned char rgb[3] = {(unsigned char)(px[k] >> 16), (unsigned char)(px[k] >> 8), (unsigned char)px[k]};
            fwrite(rgb, 1, 3, f);
        }
        return fclose(f) == 0 ? 0 : 2;
    }
    if (argc == 7 && strcmp(argv[1], "diffbox") == 0 && parse_area(argv + 2, &x, &y, &w, &h)) {
        unsigned long *base = read_ppm(argv[6], w, h);
        open_display();
        unsigned long *now = must_read_area(x, y, w, h);
        int x0 = w, y0 = h, x1 = -1, y1 = -1;
        for (int j = 0; j < h; j++)
            for (int i = 0; i < w; i++)
                if (base[(size_t)j * (size_t)w + (size_t)i] != now[(size_t)j * (size_t)w + (size_t)i]) {
                    x0 = i < x0 ? i : x0;
                    x1 = i > x1 ? i : x1;
                    y0 = j < y0 ? j : y0;
                    y1 = j > y1 ? j : y1;
                }
        if (x1 < 0)
            printf("none\n");
        else
            printf("%dx%d+%d+%d\n", x1 - x0 + 1, y1 - y0 + 1, x0, y0);
        return 0;
    }
    if (argc == 6 && strcmp(argv[1], "colours") == 0 && parse_area(argv + 2, &x, &y, &w, &h)) {
        open_display();
        printf("%d\n", count_colours(must_read_area(x, y, w, h), (size_t)w * (size_t)h, 64));
        return 0;
    }
    if (argc == 3 && strcmp(argv[1], "find") == 0) {
        open_display();
        walk(root, None, argv[2], 1);
        return 0;
    }
    if (argc == 6 && strcmp(argv[1], "wait-dock") == 0) {
        open_display();
        return wait_dock(argv[2], argv[3], atol(argv[4]), atol(argv[5]));
    }
    if (argc >= 3 && strcmp(argv[1], "soak") == 0) {
        int rc = soak(argc - 2, argv + 2);
        if (rc != 2)
            return rc;
    }
    fprintf(stderr, "usage: xprobe owner SELECTION | grab X Y W H FILE.ppm | diffbox X Y W H FILE.ppm | colours X Y W H | "
                    "find CLASS | wait-dock SEL CLASS MS1 MS2 | soak menu N X1 Y1 X2 Y2 | "
                    "soak editor N X1 Y1 X2 Y2 cancel|ok|both TITLE OKX OKY CANCELX CANCELY\n");
    return 2;
}
