// SPDX-License-Identifier: MIT
// keys [--check] TEXT...: gives every character of TEXT missing from the keymap a spare keycode
// (one without keys, or with vendor keys only; --check: exit 1 if one is missing), so that
// xdotool types it without remapping a key for a moment, which races with the program reading
// the keymap and loses characters.
#include <X11/Xlib.h>
#include <string.h>

#include "xprobe.h"

// Next code point of a UTF-8 string, or -1 at its end or on a bad byte.
static long next_code_point(const unsigned char** p) {
    const unsigned char* s = *p;
    long c;
    int extra;
    if (*s == 0)
        return -1;
    if (*s < 0x80) {
        c = *s, extra = 0;
    } else if ((*s & 0xe0) == 0xc0) {
        c = *s & 0x1f, extra = 1;
    } else if ((*s & 0xf0) == 0xe0) {
        c = *s & 0x0f, extra = 2;
    } else if ((*s & 0xf8) == 0xf0) {
        c = *s & 0x07, extra = 3;
    } else {
        return -1;
    }
    for (s++; extra > 0; extra--, s++) {
        if ((*s & 0xc0) != 0x80)
            return -1;
        c = c << 6 | (*s & 0x3f);
    }
    *p = s;
    return c;
}

int cmd_keys(char** argv) {
    int check = strcmp(argv[0], "--check") == 0;
    int min, max, per;
    XDisplayKeycodes(dpy, &min, &max);
    KeySym* map = XGetKeyboardMapping(dpy, (KeyCode)min, max - min + 1, &per);
    int next = min, missing = 0;
    for (int a = check; argv[a] != NULL; a++) {
        const unsigned char* p = (const unsigned char*)argv[a];
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
                fprintf(stderr, "xprobe: U+%04lX is not in the keymap\n", c);
                missing = 1;
                continue;
            }
            // Spare: a keycode with nothing on it, or only vendor (XF86) keys.
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
                XSync(dpy, False);
                fail("no spare keycode left for U+%04lX", c);
            }
            // Both levels, so the character comes with or without Shift.
            KeySym syms[2] = {sym, sym};
            XChangeKeyboardMapping(dpy, next, 2, syms, 1);
            for (int l = 0; l < per; l++)
                map[(next - min) * per + l] = l < 2 ? sym : NoSymbol;
            next++;
        }
        if (c < 0 && *p != 0)
            bad_usage("bad UTF-8 in '%s'", argv[a]);
    }
    XSync(dpy, False);
    XFree(map);
    return missing;
}
