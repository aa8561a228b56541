// SPDX-License-Identifier: MIT
// launch OUT TIMEOUT_MS PROGRAM [ARGS...]: starts the program and reports when its icon is
// reparented into the tray, mapped there and painted, from the server's own events as they are
// read off the connection (microseconds after exec). Stays as the program's parent until it
// ends, with its exit status. OUT: one line of key=value pairs, written whole.
#include <errno.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include "xprobe.h"

struct icon {
    Window window;
    long long docked, mapped, painted;
};

static void wait_icon(pid_t child, long long deadline, struct icon* icon) {
    XEvent event;
    while (icon->mapped < 0 && next_event(&event, deadline)) {
        if (event.type == CreateNotify && event.xcreatewindow.parent == root) {
            // Early, so that the later MapNotify inside the tray reaches us too.
            XSelectInput(dpy, event.xcreatewindow.window, StructureNotifyMask);
        } else if (event.type == ReparentNotify && icon->window == None &&
                   event.xreparent.parent != root &&
                   cardinal(event.xreparent.window, "_NET_WM_PID") == (long)child) {
            icon->docked = now_us();
            icon->window = event.xreparent.window;
            // Our StructureNotify selection may reach the server after the tray has already
            // mapped the icon: then its MapNotify never comes and the state says so.
            XSync(dpy, False);
            XEvent queued;
            XWindowAttributes a;
            if (XCheckTypedWindowEvent(dpy, icon->window, MapNotify, &queued) ||
                (XGetWindowAttributes(dpy, icon->window, &a) && a.map_state == IsViewable)) {
                icon->mapped = now_us();
            }
        } else if (event.type == MapNotify && icon->window != None &&
                   event.xmap.window == icon->window) {
            icon->mapped = now_us();
        }
    }
    if (icon->mapped >= 0)
        icon->painted = wait_painted(icon->window, deadline);
}

static void write_result(const char* out, pid_t child, long long t0, const struct icon* icon) {
    int x = 0, y = 0;
    unsigned width = 0, height = 0;
    char klass[256] = "?";
    if (icon->window != None) {
        Window unused, root_window;
        unsigned border, depth;
        XGetGeometry(dpy, icon->window, &root_window, &x, &y, &width, &height, &border, &depth);
        XTranslateCoordinates(dpy, icon->window, root, 0, 0, &x, &y, &unused);
        class_text(icon->window, klass, sizeof klass);
    }
    char part[4096];
    snprintf(part, sizeof part, "%s.part", out);
    FILE* file = fopen(part, "w");
    if (file == NULL)
        fail("cannot write %s", part);
    fprintf(file,
            "pid=%d ok=%d docked_us=%lld mapped_us=%lld painted_us=%lld "
            "x=%d y=%d w=%u h=%u window=0x%lx class=%s\n",
            (int)child, icon->painted >= 0, icon->docked < 0 ? -1 : icon->docked - t0,
            icon->mapped < 0 ? -1 : icon->mapped - t0, icon->painted < 0 ? -1 : icon->painted - t0,
            x, y, width, height, (unsigned long)icon->window, klass);
    fclose(file);
    rename(part, out);
}

int cmd_launch(char** argv) {
    long long timeout_ms = atoll(argv[1]);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    long long* exec_time =
        mmap(NULL, sizeof *exec_time, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (exec_time == MAP_FAILED)
        fail("mmap");
    *exec_time = 0;
    pid_t child = fork();
    if (child < 0)
        fail("fork");
    if (child == 0) {
        *exec_time = now_us();
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    struct icon icon = {None, -1, -1, -1};
    wait_icon(child, deadline_in_ms(timeout_ms), &icon);
    write_result(argv[0], child, *exec_time, &icon);
    XCloseDisplay(dpy);

    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
