// SPDX-License-Identifier: MIT
// The X side of scripts/bench. It timestamps the server's own events (ReparentNotify, MapNotify,
// DamageNotify) as they arrive instead of polling the window tree, and drives input through
// XTest exactly as xdotool does, without a process start per key.
//
//   xbench tray-owner TIMEOUT_MS
//   xbench launch OUT TIMEOUT_MS PROGRAM [ARGS...]
//   xbench menu OUT PID X Y W H CYCLES TIMEOUT_MS
//   xbench settle PID QUIET_MS TIMEOUT_MS
//
// Times are CLOCK_MONOTONIC microseconds, taken when the event is read off the connection.
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

enum { kEnoughColours = 8 };

static Display* dpy;
static Window root;
static int damageEvent;

static long long nowUs(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000000LL + ts.tv_nsec / 1000;
}

static void sleepMs(int ms) {
    struct timespec ts = {ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

static void die(const char* message) {
    fprintf(stderr, "xbench: %s\n", message);
    exit(1);
}

// Windows come and go under us; a failed query simply answers "no".
static int ignoreErrors(Display* display, XErrorEvent* error) {
    (void)display;
    (void)error;
    return 0;
}

static void openDisplay(void) {
    dpy = XOpenDisplay(NULL);
    if (dpy == NULL) {
        die("cannot open the display");
    }
    root = DefaultRootWindow(dpy);
    XSetErrorHandler(ignoreErrors);
    fcntl(ConnectionNumber(dpy), F_SETFD, FD_CLOEXEC);
}

// The next event, or 0 once the deadline has passed.
static int nextEvent(XEvent* event, long long deadlineUs) {
    for (;;) {
        if (XPending(dpy) > 0) {
            XNextEvent(dpy, event);
            return 1;
        }
        const long long left = deadlineUs - nowUs();
        if (left <= 0) {
            return 0;
        }
        struct pollfd fd = {ConnectionNumber(dpy), POLLIN, 0};
        poll(&fd, 1, (int)((left + 999) / 1000));
    }
}

static long cardinal(Window window, const char* name) {
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
    if (data != NULL) {
        XFree(data);
    }
    return value;
}

static int isTooltip(Window window) {
    const long type = cardinal(window, "_NET_WM_WINDOW_TYPE");
    return type >= 0 && (Atom)type == XInternAtom(dpy, "_NET_WM_WINDOW_TYPE_TOOLTIP", False);
}

// Distinct pixel values in the window, counted up to kEnoughColours; 0 if it is not viewable.
static int colours(Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(dpy, window, &attributes) || attributes.map_state != IsViewable) {
        return 0;
    }
    XImage* image = XGetImage(dpy, window, 0, 0, (unsigned)attributes.width,
                              (unsigned)attributes.height, AllPlanes, ZPixmap);
    if (image == NULL) {
        return 0;
    }
    unsigned long seen[kEnoughColours];
    int found = 0;
    for (int y = 0; y < attributes.height && found < kEnoughColours; ++y) {
        for (int x = 0; x < attributes.width && found < kEnoughColours; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            int known = 0;
            for (int i = 0; i < found && !known; ++i) {
                known = seen[i] == pixel;
            }
            if (!known) {
                seen[found++] = pixel;
            }
        }
    }
    XDestroyImage(image);
    return found;
}

static void className(Window window, char* out, size_t size) {
    XClassHint hint = {NULL, NULL};
    snprintf(out, size, "?");
    if (XGetClassHint(dpy, window, &hint)) {
        snprintf(out, size, "%s/%s", hint.res_name ? hint.res_name : "",
                 hint.res_class ? hint.res_class : "");
        XFree(hint.res_name);
        XFree(hint.res_class);
    }
}

static void initDamage(void) {
    int error;
    if (!XDamageQueryExtension(dpy, &damageEvent, &error)) {
        die("the X server has no DAMAGE extension");
    }
    int major = 1, minor = 1;
    XDamageQueryVersion(dpy, &major, &minor);
}

// Waits until the window shows enough colours, checking whenever the server reports drawing
// into it. Returns the time it did, or -1.
static long long waitPainted(Window window, long long deadlineUs) {
    const Damage damage = XDamageCreate(dpy, window, XDamageReportNonEmpty);
    long long painted = -1;
    XSync(dpy, False);
    if (colours(window) >= kEnoughColours) {
        painted = nowUs();
    }
    XEvent event;
    while (painted < 0 && nextEvent(&event, deadlineUs)) {
        if (event.type == damageEvent + XDamageNotify) {
            XDamageSubtract(dpy, damage, None, None);
            if (colours(window) >= kEnoughColours) {
                painted = nowUs();
            }
        }
    }
    XDamageDestroy(dpy, damage);
    XSync(dpy, False);
    return painted;
}

static int trayOwner(int argc, char** argv) {
    if (argc != 3) {
        die("usage: tray-owner TIMEOUT_MS");
    }
    openDisplay();
    const Atom selection = XInternAtom(dpy, "_NET_SYSTEM_TRAY_S0", False);
    const long long deadline = nowUs() + atoll(argv[2]) * 1000;
    while (XGetSelectionOwner(dpy, selection) == None) {
        if (nowUs() > deadline) {
            die("no tray host owns _NET_SYSTEM_TRAY_S0");
        }
        sleepMs(20);
    }
    return 0;
}

// Starts the program and reports when its icon is reparented into the tray, mapped there and
// painted. Stays as the program's parent until it ends, with its exit status.
static int launch(int argc, char** argv) {
    if (argc < 5) {
        die("usage: launch OUT TIMEOUT_MS PROGRAM [ARGS...]");
    }
    const char* out = argv[2];
    const long long timeoutUs = atoll(argv[3]) * 1000;
    openDisplay();
    initDamage();
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    long long* execTime =
        mmap(NULL, sizeof *execTime, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (execTime == MAP_FAILED) {
        die("mmap");
    }
    *execTime = 0;
    const pid_t child = fork();
    if (child < 0) {
        die("fork");
    }
    if (child == 0) {
        *execTime = nowUs();
        execvp(argv[4], argv + 4);
        _exit(127);
    }

    const long long deadline = nowUs() + timeoutUs;
    Window icon = None;
    long long docked = -1, mapped = -1, painted = -1;
    XEvent event;
    while (mapped < 0 && nextEvent(&event, deadline)) {
        if (event.type == CreateNotify && event.xcreatewindow.parent == root) {
            // Early, so that the later MapNotify inside the tray reaches us too.
            XSelectInput(dpy, event.xcreatewindow.window, StructureNotifyMask);
        } else if (event.type == ReparentNotify && icon == None &&
                   event.xreparent.parent != root &&
                   cardinal(event.xreparent.window, "_NET_WM_PID") == (long)child) {
            docked = nowUs();
            icon = event.xreparent.window;
            // Our StructureNotify selection may reach the server after the tray has already
            // mapped the icon: then its MapNotify never comes and the state says so.
            XSync(dpy, False);
            XEvent queued;
            XWindowAttributes attributes;
            if (XCheckTypedWindowEvent(dpy, icon, MapNotify, &queued) ||
                (XGetWindowAttributes(dpy, icon, &attributes) &&
                 attributes.map_state == IsViewable)) {
                mapped = nowUs();
            }
        } else if (event.type == MapNotify && icon != None && event.xmap.window == icon) {
            mapped = nowUs();
        }
    }
    if (mapped >= 0) {
        painted = waitPainted(icon, deadline);
    }

    int x = 0, y = 0;
    unsigned width = 0, height = 0;
    char cls[256] = "?";
    if (icon != None) {
        Window unused, rootWindow;
        unsigned border, depth;
        XGetGeometry(dpy, icon, &rootWindow, &x, &y, &width, &height, &border, &depth);
        XTranslateCoordinates(dpy, icon, root, 0, 0, &x, &y, &unused);
        className(icon, cls, sizeof cls);
    }
    char temporary[4096];
    snprintf(temporary, sizeof temporary, "%s.part", out);
    FILE* file = fopen(temporary, "w");
    if (file == NULL) {
        die("cannot write the result file");
    }
    const long long t0 = *execTime;
    fprintf(file,
            "pid=%d ok=%d docked_us=%lld mapped_us=%lld painted_us=%lld "
            "x=%d y=%d w=%u h=%u window=0x%lx class=%s\n",
            (int)child, painted >= 0, docked < 0 ? -1 : docked - t0, mapped < 0 ? -1 : mapped - t0,
            painted < 0 ? -1 : painted - t0, x, y, width, height, icon, cls);
    fclose(file);
    rename(temporary, out);
    XCloseDisplay(dpy);

    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The program's popup, mapped: override-redirect, of that process, not a tooltip.
static Window waitMenuMapped(long pid, long long deadline) {
    XEvent event;
    while (nextEvent(&event, deadline)) {
        if (event.type == MapNotify && event.xmap.override_redirect &&
            cardinal(event.xmap.window, "_NET_WM_PID") == pid && !isTooltip(event.xmap.window)) {
            return event.xmap.window;
        }
    }
    return None;
}

static int waitGone(Window window, long long deadline) {
    XEvent event;
    while (nextEvent(&event, deadline)) {
        if ((event.type == UnmapNotify && event.xunmap.window == window) ||
            (event.type == DestroyNotify && event.xdestroywindow.window == window)) {
            return 1;
        }
    }
    return 0;
}

// Right press on the icon, menu mapped and painted, Escape, menu gone: CYCLES times.
static int menu(int argc, char** argv) {
    if (argc != 10) {
        die("usage: menu OUT PID X Y W H CYCLES TIMEOUT_MS");
    }
    FILE* file = fopen(argv[2], "w");
    if (file == NULL) {
        die("cannot write the result file");
    }
    const long pid = atol(argv[3]);
    const int x = atoi(argv[4]), y = atoi(argv[5]), width = atoi(argv[6]), height = atoi(argv[7]);
    const int cycles = atoi(argv[8]);
    const long long timeoutUs = atoll(argv[9]) * 1000;
    openDisplay();
    initDamage();
    int event, error, major, minor;
    if (!XTestQueryExtension(dpy, &event, &error, &major, &minor)) {
        die("the X server has no XTEST extension");
    }
    const KeyCode escape = XKeysymToKeycode(dpy, XK_Escape);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    int failed = 0;
    for (int cycle = 1; cycle <= cycles && !failed; ++cycle) {
        // Two spots in turn, far enough apart that Qt sees no double click.
        const int quarter = cycle % 2 ? 1 : 3;
        XTestFakeMotionEvent(dpy, -1, x + width * quarter / 4, y + height * quarter / 4,
                             CurrentTime);
        XTestFakeButtonEvent(dpy, 3, True, CurrentTime);
        XTestFakeButtonEvent(dpy, 3, False, CurrentTime);
        const long long pressed = nowUs();
        XFlush(dpy);
        const Window popup = waitMenuMapped(pid, pressed + timeoutUs);
        if (popup == None) {
            fprintf(stderr, "xbench: cycle %d: no menu appeared\n", cycle);
            failed = 1;
            break;
        }
        const long long mapped = nowUs();
        const long long painted = waitPainted(popup, pressed + timeoutUs);
        if (painted < 0) {
            fprintf(stderr, "xbench: cycle %d: the menu was never painted\n", cycle);
            failed = 1;
            break;
        }
        XTestFakeKeyEvent(dpy, escape, True, CurrentTime);
        XTestFakeKeyEvent(dpy, escape, False, CurrentTime);
        const long long escaped = nowUs();
        XFlush(dpy);
        if (!waitGone(popup, escaped + timeoutUs)) {
            fprintf(stderr, "xbench: cycle %d: Escape did not close the menu\n", cycle);
            failed = 1;
            break;
        }
        const long long gone = nowUs();
        fprintf(file, "%d %lld %lld %lld\n", cycle, mapped - pressed, painted - pressed,
                gone - escaped);
    }
    // Away from the icon, so that no tooltip shows up later.
    XTestFakeMotionEvent(dpy, -1, DisplayWidth(dpy, DefaultScreen(dpy)) - 1,
                         DisplayHeight(dpy, DefaultScreen(dpy)) - 1, CurrentTime);
    XSync(dpy, False);
    XCloseDisplay(dpy);
    fclose(file);
    return failed;
}

// Nanoseconds on CPU of all the process's threads.
static long long cpuNs(long pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%ld/task", pid);
    DIR* tasks = opendir(path);
    if (tasks == NULL) {
        return -1;
    }
    long long total = 0;
    struct dirent* entry;
    while ((entry = readdir(tasks)) != NULL) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        char file[320];
        snprintf(file, sizeof file, "/proc/%ld/task/%s/schedstat", pid, entry->d_name);
        FILE* stat = fopen(file, "r");
        long long ns = 0;
        if (stat != NULL) {
            if (fscanf(stat, "%lld", &ns) == 1) {
                total += ns;
            }
            fclose(stat);
        }
    }
    closedir(tasks);
    return total;
}

// Returns once the process has used no CPU for QUIET_MS, checked every 20 ms.
static int settle(int argc, char** argv) {
    if (argc != 5) {
        die("usage: settle PID QUIET_MS TIMEOUT_MS");
    }
    const long pid = atol(argv[2]);
    const long long quietUs = atoll(argv[3]) * 1000;
    const long long start = nowUs(), deadline = start + atoll(argv[4]) * 1000;
    long long last = cpuNs(pid), since = start;
    while (nowUs() < deadline) {
        sleepMs(20);
        const long long cpu = cpuNs(pid);
        if (cpu < 0) {
            die("the process is gone");
        }
        if (cpu != last) {
            last = cpu;
            since = nowUs();
        } else if (nowUs() - since >= quietUs) {
            printf("%lld\n", (since - start) / 1000);
            return 0;
        }
    }
    die("the process never went quiet");
    return 1;
}

int main(int argc, char** argv) {
    if (argc >= 2 && strcmp(argv[1], "tray-owner") == 0) {
        return trayOwner(argc, argv);
    }
    if (argc >= 2 && strcmp(argv[1], "launch") == 0) {
        return launch(argc, argv);
    }
    if (argc >= 2 && strcmp(argv[1], "menu") == 0) {
        return menu(argc, argv);
    }
    if (argc >= 2 && strcmp(argv[1], "settle") == 0) {
        return settle(argc, argv);
    }
    die("usage: xbench tray-owner|launch|menu|settle ...");
    return 2;
}
