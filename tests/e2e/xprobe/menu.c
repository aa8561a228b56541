// SPDX-License-Identifier: MIT
// Input through XTest, as xdotool sends it but without a process start per key, and the popup
// menu opened by a right press and closed with Escape.
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <stdlib.h>

#include "xprobe.h"

void require_xtest(void) {
    int event, error, major, minor;
    if (!XTestQueryExtension(dpy, &event, &error, &major, &minor))
        bad_usage("the X server has no XTEST extension");
}

void press_key(KeySym sym) {
    KeyCode code = XKeysymToKeycode(dpy, sym);
    XTestFakeKeyEvent(dpy, code, True, CurrentTime);
    XTestFakeKeyEvent(dpy, code, False, CurrentTime);
    XFlush(dpy);
}

void click(int x, int y, unsigned button) {
    XTestFakeMotionEvent(dpy, -1, x, y, CurrentTime);
    XTestFakeButtonEvent(dpy, button, True, CurrentTime);
    XTestFakeButtonEvent(dpy, button, False, CurrentTime);
    XFlush(dpy);
}

// Right press at X Y, then the popup WANT mapped and painted, each within TIMEOUT_US; the popup
// is watched for its closing. None (with a message) if it did not come.
Window open_menu(int x, int y, const struct wanted* want, long long timeout_us,
                 struct menu_times* times) {
    // Stamped as the requests are queued, before they are flushed.
    long long pressed = now_us();
    click(x, y, 3);
    Window menu = wait_mapped(want, pressed + timeout_us);
    if (menu == None) {
        fprintf(stderr, "xprobe: no popup menu appeared within %lld ms\n", timeout_us / 1000);
        return None;
    }
    long long mapped = now_us();
    watch(menu);
    long long painted = wait_painted(menu, mapped + timeout_us);
    if (painted < 0) {
        fprintf(stderr, "xprobe: the popup menu 0x%lx was not painted within %lld ms\n",
                (unsigned long)menu, timeout_us / 1000);
        return None;
    }
    times->mapped = mapped - pressed;
    times->painted = painted - pressed;
    return menu;
}

// Escape, then MENU gone within TIMEOUT_US; 0 (with a message) if it stayed.
int escape_menu(Window menu, long long timeout_us, struct menu_times* times) {
    long long escaped = now_us();
    press_key(XK_Escape);
    if (!wait_gone(escaped + timeout_us)) {
        fprintf(stderr, "xprobe: Escape did not close the popup menu 0x%lx within %lld ms\n",
                (unsigned long)menu, timeout_us / 1000);
        return 0;
    }
    times->gone = now_us() - escaped;
    return 1;
}

// menu OUT PID X Y W H CYCLES TIMEOUT_MS: CYCLES times right press on the icon at X Y W H,
// menu mapped and painted, Escape, menu gone; one line a cycle in OUT: "N MAPPED PAINTED GONE"
// (microseconds from the press, GONE from Escape).
int cmd_menu(char** argv) {
    FILE* out = fopen(argv[0], "w");
    if (out == NULL)
        bad_usage("cannot write %s", argv[0]);
    struct wanted popup = {.popup = 1, .pid = atol(argv[1])};
    int x = atoi(argv[2]), y = atoi(argv[3]), width = atoi(argv[4]), height = atoi(argv[5]);
    int cycles = atoi(argv[6]);
    long long timeout_us = atoll(argv[7]) * 1000;
    require_xtest();
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);
    int failed = 0;
    for (int cycle = 1; cycle <= cycles && !failed; ++cycle) {
        // Two spots in turn, far enough apart that Qt sees no double click.
        int quarter = cycle % 2 ? 1 : 3;
        struct menu_times times;
        Window menu = open_menu(x + width * quarter / 4, y + height * quarter / 4, &popup,
                                timeout_us, &times);
        failed = menu == None || !escape_menu(menu, timeout_us, &times);
        if (failed) {
            fprintf(stderr, "xprobe: menu cycle %d failed\n", cycle);
        } else {
            fprintf(out, "%d %lld %lld %lld\n", cycle, times.mapped, times.painted, times.gone);
        }
    }
    // Away from the icon, so that no tooltip shows up later.
    XTestFakeMotionEvent(dpy, -1, DisplayWidth(dpy, DefaultScreen(dpy)) - 1,
                         DisplayHeight(dpy, DefaultScreen(dpy)) - 1, CurrentTime);
    XSync(dpy, False);
    fclose(out);
    return failed;
}
