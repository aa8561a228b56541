// SPDX-License-Identifier: MIT
/* A pointer and keys for a headless KWin, through its fake-input protocol. One client
 * for the whole scenario (KWin loses some of a new client's first clicks).
 * Reads commands from stdin, one a line, and after KWin has taken each one
 * writes "done N" to stdout:
 *   move X Y       pointer to X, Y (global, logical pixels)
 *   click BUTTON   press and release: 1 left, 2 middle, 3 right
 *   key CODE       press and release of a Linux key code (KEY_DOWN 108, KEY_ENTER 28)
 * KWin lets only a program that a desktop file names with
 * X-KDE-Wayland-Interfaces=org_kde_kwin_fake_input use the protocol.
 * Usage: kwin_pointer <commands  (WAYLAND_DISPLAY names KWin's socket) */
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <string.h>
#include <wayland-client.h>

#include "fake-input-client-protocol.h"

static struct org_kde_kwin_fake_input *fake;
static uint32_t fake_version;

static void global(void *data, struct wl_registry *registry, uint32_t name, const char *interface,
                   uint32_t version) {
    (void)data;
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 3) {
        fake_version = version < 4 ? version : 4;
        fake = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, fake_version);
    }
}

static void global_remove(void *data, struct wl_registry *registry, uint32_t name) {
    (void)data, (void)registry, (void)name;
}

static const struct wl_registry_listener listener = {global, global_remove};

int main(void) {
    static const uint32_t buttons[] = {0, BTN_LEFT, BTN_MIDDLE, BTN_RIGHT};
    struct wl_display *display = wl_display_connect(NULL);
    char line[128];
    double x, y;
    unsigned button, key, n = 0;
    if (!display) {
        fprintf(stderr, "kwin_pointer: no Wayland display\n");
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
    wl_display_roundtrip(display);
    if (!fake) {
        fprintf(stderr, "kwin_pointer: KWin offers no org_kde_kwin_fake_input (version 3)\n");
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(fake, "quorvel e2e", "clicks of the tests");
    while (fgets(line, sizeof line, stdin)) {
        if (sscanf(line, "move %lf %lf", &x, &y) == 2) {
            org_kde_kwin_fake_input_pointer_motion_absolute(fake, wl_fixed_from_double(x),
                                                            wl_fixed_from_double(y));
        } else if (sscanf(line, "click %u", &button) == 1 && button >= 1 && button <= 3) {
            org_kde_kwin_fake_input_button(fake, buttons[button], 1);
            org_kde_kwin_fake_input_button(fake, buttons[button], 0);
        } else if (sscanf(line, "key %u", &key) == 1 && fake_version >= 4) {
            org_kde_kwin_fake_input_keyboard_key(fake, key, 1);
            org_kde_kwin_fake_input_keyboard_key(fake, key, 0);
        } else {
            fprintf(stderr, "kwin_pointer: unknown command: %s", line);
            return 2;
        }
        if (wl_display_roundtrip(display) < 0) {
            fprintf(stderr, "kwin_pointer: KWin closed the connection\n");
            return 1;
        }
        printf("done %u\n", ++n);
        fflush(stdout);
    }
    wl_display_disconnect(display);
    return 0;
}
