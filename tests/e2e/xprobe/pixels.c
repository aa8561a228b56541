// SPDX-License-Identifier: MIT
// Pixels: screen areas saved and compared, colours counted, the wait for a painted window.
// Reading the screen here takes milliseconds where ImageMagick's import takes about 0.1 s.
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <stdlib.h>
#include <string.h>

#include "xprobe.h"

// A fresh window shows one or two colours; a painted menu or form many more.
enum { kPaintedColours = 8 };

// The area of DRAWABLE as packed 0xRRGGBB values, row by row; NULL when it cannot be read.
static unsigned long* read_pixels(Drawable drawable, int x, int y, int w, int h) {
    XImage* image = XGetImage(dpy, drawable, x, y, (unsigned)w, (unsigned)h, AllPlanes, ZPixmap);
    if (image == NULL)
        return NULL;
    unsigned long* pixels = malloc(sizeof *pixels * (size_t)w * (size_t)h);
    if (pixels == NULL)
        fail("out of memory");
    for (int j = 0; j < h; j++) {
        for (int i = 0; i < w; i++)
            pixels[(size_t)j * (size_t)w + (size_t)i] = XGetPixel(image, i, j) & 0xffffffUL;
    }
    XDestroyImage(image);
    return pixels;
}

unsigned long* read_area(int x, int y, int w, int h) {
    return read_pixels(root, x, y, w, h);
}

static unsigned long* must_read_area(int x, int y, int w, int h) {
    unsigned long* pixels = read_area(x, y, w, h);
    if (pixels == NULL)
        bad_usage("XGetImage failed for %dx%d+%d+%d", w, h, x, y);
    return pixels;
}

// Distinct colours among N pixels, counted up to CAP (at most 64).
int count_colours(const unsigned long* pixels, size_t n, int cap) {
    unsigned long seen[64];
    int found = 0;
    for (size_t k = 0; k < n && found < cap && found < 64; k++) {
        int known = 0;
        for (int s = 0; s < found && !known; s++)
            known = seen[s] == pixels[k];
        if (!known)
            seen[found++] = pixels[k];
    }
    return found;
}

static int painted(Window window) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(dpy, window, &a) || a.map_state != IsViewable)
        return 0;
    unsigned long* pixels = read_pixels(window, 0, 0, a.width, a.height);
    int enough = pixels != NULL && count_colours(pixels, (size_t)a.width * (size_t)a.height,
                                                 kPaintedColours) >= kPaintedColours;
    free(pixels);
    return enough;
}

// Waits until WINDOW shows enough colours, looking again whenever the server reports drawing
// into it. Returns the time it did (now_us()), or -1 at the deadline.
long long wait_painted(Window window, long long deadline) {
    static int damage_event = -1;
    if (damage_event < 0) {
        int error, major = 1, minor = 1;
        if (!XDamageQueryExtension(dpy, &damage_event, &error))
            bad_usage("the X server has no DAMAGE extension");
        XDamageQueryVersion(dpy, &major, &minor);
    }
    Damage damage = XDamageCreate(dpy, window, XDamageReportNonEmpty);
    XSync(dpy, False);
    long long done = painted(window) ? now_us() : -1;
    XEvent event;
    while (done < 0 && next_event(&event, deadline)) {
        if (event.type == damage_event + XDamageNotify) {
            XDamageSubtract(dpy, damage, None, None);
            if (painted(window))
                done = now_us();
        }
    }
    XDamageDestroy(dpy, damage);
    XSync(dpy, False);
    return done;
}

static int parse_area(char** argv, int* x, int* y, int* w, int* h) {
    *x = atoi(argv[0]);
    *y = atoi(argv[1]);
    *w = atoi(argv[2]);
    *h = atoi(argv[3]);
    return *w > 0 && *h > 0;
}

static unsigned long* read_ppm(const char* path, int w, int h) {
    FILE* file = fopen(path, "rb");
    int fw, fh, max;
    if (file == NULL || fscanf(file, "P6 %d %d %d", &fw, &fh, &max) != 3 || fgetc(file) == EOF ||
        fw != w || fh != h || max != 255) {
        bad_usage("%s is not a %dx%d PPM from xprobe grab", path, w, h);
    }
    unsigned long* pixels = malloc(sizeof *pixels * (size_t)w * (size_t)h);
    if (pixels == NULL)
        fail("out of memory");
    for (size_t k = 0; k < (size_t)w * (size_t)h; k++) {
        unsigned char rgb[3];
        if (fread(rgb, 1, 3, file) != 3)
            bad_usage("%s is truncated", path);
        pixels[k] = (unsigned long)rgb[0] << 16 | (unsigned long)rgb[1] << 8 | rgb[2];
    }
    fclose(file);
    return pixels;
}

int cmd_grab(char** argv) {
    int x, y, w, h;
    if (!parse_area(argv, &x, &y, &w, &h))
        return 2;
    unsigned long* pixels = must_read_area(x, y, w, h);
    FILE* file = fopen(argv[4], "wb");
    if (file == NULL)
        bad_usage("cannot write %s", argv[4]);
    fprintf(file, "P6\n%d %d\n255\n", w, h);
    for (size_t k = 0; k < (size_t)w * (size_t)h; k++) {
        unsigned char rgb[3] = {(unsigned char)(pixels[k] >> 16), (unsigned char)(pixels[k] >> 8),
                                (unsigned char)pixels[k]};
        fwrite(rgb, 1, 3, file);
    }
    free(pixels);
    return fclose(file) == 0 ? 0 : 2;
}

int cmd_diffbox(char** argv) {
    int x, y, w, h;
    if (!parse_area(argv, &x, &y, &w, &h))
        return 2;
    unsigned long* base = read_ppm(argv[4], w, h);
    unsigned long* now = must_read_area(x, y, w, h);
    int x0 = w, y0 = h, x1 = -1, y1 = -1;
    for (int j = 0; j < h; j++) {
        for (int i = 0; i < w; i++) {
            size_t k = (size_t)j * (size_t)w + (size_t)i;
            if (base[k] != now[k]) {
                x0 = i < x0 ? i : x0;
                x1 = i > x1 ? i : x1;
                y0 = j < y0 ? j : y0;
                y1 = j > y1 ? j : y1;
            }
        }
    }
    if (x1 < 0) {
        printf("none\n");
    } else {
        printf("%dx%d+%d+%d\n", x1 - x0 + 1, y1 - y0 + 1, x0, y0);
    }
    free(base);
    free(now);
    return 0;
}

int cmd_colours(char** argv) {
    int x, y, w, h;
    if (!parse_area(argv, &x, &y, &w, &h))
        return 2;
    unsigned long* pixels = must_read_area(x, y, w, h);
    printf("%d\n", count_colours(pixels, (size_t)w * (size_t)h, 64));
    free(pixels);
    return 0;
}
