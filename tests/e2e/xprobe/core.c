// SPDX-License-Identifier: MIT
// The connection, clocks, failures and the window properties every command reads.
#include <X11/Xutil.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "xprobe.h"

Display* dpy;
Window root;

// Windows come and go while they are looked at; a query about one that is gone answers "no".
static int ignore_error(Display* display, XErrorEvent* error) {
    (void)display;
    (void)error;
    return 0;
}

void open_display(void) {
    dpy = XOpenDisplay(NULL);
    if (dpy == NULL)
        bad_usage("cannot open display");
    root = DefaultRootWindow(dpy);
    XSetErrorHandler(ignore_error);
    // Programs started by launch must not inherit the connection.
    fcntl(ConnectionNumber(dpy), F_SETFD, FD_CLOEXEC);
}

static long long clock_us(clockid_t clock) {
    struct timespec ts;
    clock_gettime(clock, &ts);
    return ts.tv_sec * 1000000LL + ts.tv_nsec / 1000;
}

long long now_us(void) {
    return clock_us(CLOCK_MONOTONIC);
}
long long epoch_ms(void) {
    return clock_us(CLOCK_REALTIME) / 1000;
}
long long deadline_in_ms(long long ms) {
    return now_us() + ms * 1000;
}

void nap_ms(int ms) {
    struct timespec ts = {ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

static void say(const char* format, va_list args) {
    fputs("xprobe: ", stderr);
    vfprintf(stderr, format, args);
    fputc('\n', stderr);
}

void fail(const char* format, ...) {
    va_list args;
    va_start(args, format);
    say(format, args);
    va_end(args);
    exit(1);
}

void bad_usage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    say(format, args);
    va_end(args);
    exit(2);
}

Window parse_window(const char* text) {
    char* end;
    unsigned long id = strtoul(text, &end, 0);
    if (*text == '\0' || *end != '\0' || id == 0)
        bad_usage("bad window id '%s'", text);
    return (Window)id;
}

FILE* open_log(const char* path) {
    FILE* log = fopen(path, "a");
    if (log == NULL)
        bad_usage("cannot open %s: %s", path, strerror(errno));
    setvbuf(log, NULL, _IOLBF, 0);
    return log;
}

// A 32-bit property's first value, or -1.
long cardinal(Window window, const char* name) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = NULL;
    long value = -1;
    if (XGetWindowProperty(dpy, window, XInternAtom(dpy, name, False), 0, 1, False, AnyPropertyType,
                           &type, &format, &count, &after, &data) == Success &&
        data != NULL && count == 1 && format == 32) {
        value = (long)*(unsigned long*)data;
    }
    XFree(data);
    return value;
}

int has_class(Window window, const char* name) {
    XClassHint hint = {NULL, NULL};
    int match = 0;
    if (XGetClassHint(dpy, window, &hint)) {
        match = (hint.res_name && strcmp(hint.res_name, name) == 0) ||
                (hint.res_class && strcmp(hint.res_class, name) == 0);
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
    return match;
}

// "name/class", or "?" without WM_CLASS.
void class_text(Window window, char* out, size_t size) {
    XClassHint hint = {NULL, NULL};
    snprintf(out, size, "?");
    if (XGetClassHint(dpy, window, &hint)) {
        snprintf(out, size, "%s/%s", hint.res_name ? hint.res_name : "",
                 hint.res_class ? hint.res_class : "");
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
}

char* title_of(Window window) {
    Atom type;
    int format;
    unsigned long count = 0, after;
    unsigned char* data = NULL;
    if (XGetWindowProperty(dpy, window, XInternAtom(dpy, "_NET_WM_NAME", False), 0, 1024, False,
                           XInternAtom(dpy, "UTF8_STRING", False), &type, &format, &count, &after,
                           &data) != Success ||
        data == NULL) {
        count = 0;
    }
    char* title = malloc(count + 1);
    if (title == NULL)
        fail("out of memory");
    memcpy(title, data ? (char*)data : "", count);
    title[count] = '\0';
    XFree(data);
    return title;
}

void send_message(Window to, Window about, Atom type, long l0, long l1) {
    XEvent event;
    memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = about;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = l0;
    event.xclient.data.l[1] = l1;
    XSendEvent(dpy, to, False, NoEventMask, &event);
    XSync(dpy, False);
}
