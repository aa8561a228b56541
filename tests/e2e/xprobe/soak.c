// SPDX-License-Identifier: MIT
// Long input soaks: the menu, or the editor opened from it, many times over.
//   soak menu N X1 Y1 X2 Y2
//   soak editor N X1 Y1 X2 Y2 MODE TITLE OKX OKY CANCELX CANCELY
// Each wait is bounded by XPROBE_TIMEOUT_MS (default 10000).
#include <X11/keysym.h>
#include <stdlib.h>
#include <string.h>

#include "xprobe.h"

static long long timeout_ms(void) {
    const char* text = getenv("XPROBE_TIMEOUT_MS");
    return text && atol(text) > 0 ? atol(text) : 10000;
}

// Down x6 Return on the open MENU, the painted window TITLE, then Cancel (MODE cancel), OK (ok)
// or each in turn (both) pressed at those client coordinates, and the window gone.
static void editor_cycle(int cycle, Window menu, char** argv, long long timeout) {
    for (int k = 0; k < 6; k++)
        press_key(XK_Down);
    press_key(XK_Return);
    struct wanted editor = {.popup = 0, .klass = "quorvel", .title = argv[7]};
    Window form = wait_mapped(&editor, deadline_in_ms(timeout));
    if (form == None)
        fail("no editor window appeared within %lld ms", timeout);
    if (!wait_gone(deadline_in_ms(timeout)))
        fail("the popup menu 0x%lx did not close within %lld ms", (unsigned long)menu, timeout);
    watch(form);
    if (wait_painted(form, deadline_in_ms(timeout)) < 0) {
        fail("the editor window 0x%lx was not painted within %lld ms", (unsigned long)form,
             timeout);
    }
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(dpy, form, root, 0, 0, &x, &y, &child);
    int ok = strcmp(argv[6], "ok") == 0 || (strcmp(argv[6], "both") == 0 && cycle % 2 == 1);
    click(x + atoi(argv[ok ? 8 : 10]), y + atoi(argv[ok ? 9 : 11]), 1);
    if (!wait_gone(deadline_in_ms(timeout)))
        fail("the editor window 0x%lx did not close within %lld ms", (unsigned long)form, timeout);
}

int cmd_soak(char** argv) {
    int argc = 0;
    while (argv[argc] != NULL)
        argc++;
    int editor = argc == 12 && strcmp(argv[0], "editor") == 0;
    if (!(argc == 6 && strcmp(argv[0], "menu") == 0) && !editor)
        return 2;
    int n = atoi(argv[1]);
    int points[4] = {atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5])};
    long long timeout = timeout_ms();
    struct wanted popup = {.popup = 1, .klass = "quorvel"};
    require_xtest();
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);
    for (int i = 0; i < n; i++) {
        // Alternating between the two points: a second press at one spot would be a double click.
        int side = i % 2;
        struct menu_times times;
        Window menu =
            open_menu(points[2 * side], points[2 * side + 1], &popup, timeout * 1000, &times);
        if (menu == None)
            return 1;
        if (editor) {
            editor_cycle(i, menu, argv, timeout);
        } else if (!escape_menu(menu, timeout * 1000, &times)) {
            return 1;
        }
    }
    printf("xprobe: %d %s cycles done\n", n, argv[0]);
    return 0;
}
