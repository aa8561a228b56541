// SPDX-License-Identifier: MIT
// The X11 probe shared by the end-to-end tests, the soaks and the benchmarks: one program, one
// command per job (see main.c for the list). Plain Xlib with XTest and DAMAGE.
#ifndef XPROBE_H
#define XPROBE_H

#include <X11/Xlib.h>
#include <stddef.h>
#include <stdio.h>

// One connection per run of the probe, opened by open_display().
extern Display* dpy;
extern Window root;

// core.c
void open_display(void);
long long now_us(void);    // CLOCK_MONOTONIC, for deadlines and measured spans
long long epoch_ms(void);  // wall clock, for times the shell compares with its own
void nap_ms(int ms);
_Noreturn void fail(const char* format, ...);       // "xprobe: ...", exit 1
_Noreturn void bad_usage(const char* format, ...);  // exit 2
long long deadline_in_ms(long long ms);
Window parse_window(const char* text);
FILE* open_log(const char* path);
long cardinal(Window window, const char* name);
int has_class(Window window, const char* name);
void class_text(Window window, char* out, size_t size);
char* title_of(Window window);  // _NET_WM_NAME, malloc'ed ("" if none)
void send_message(Window to, Window about, Atom type, long l0, long l1);

// events.c: bounded waits on the events of the root's children.
struct wanted {
    int popup;          // override-redirect and not a tooltip; else a normal window
    long pid;           // _NET_WM_PID, or 0 for any
    const char* klass;  // WM_CLASS name or class, or NULL for any
    const char* title;  // _NET_WM_NAME, or NULL for any
};
int next_event(XEvent* event, long long deadline);
void watch(Window window);
int wait_gone(long long deadline);
Window wait_mapped(const struct wanted* want, long long deadline);

// pixels.c
unsigned long* read_area(int x, int y, int w, int h);
int count_colours(const unsigned long* pixels, size_t n, int cap);
long long wait_painted(Window window, long long deadline);

// menu.c: input through XTest, and the popup menu opened and closed with it.
void press_key(KeySym sym);
void click(int x, int y, unsigned button);
void require_xtest(void);
struct menu_times {
    long long mapped, painted, gone;  // microseconds from the press (gone: from Escape)
};
Window open_menu(int x, int y, const struct wanted* want, long long timeout_us,
                 struct menu_times* times);
int escape_menu(Window menu, long long timeout_us, struct menu_times* times);

// The commands; ARGV starts after the command's name.
int cmd_owner(char** argv);
int cmd_text(char** argv);
int cmd_clear(char** argv);
int cmd_grab(char** argv);
int cmd_diffbox(char** argv);
int cmd_colours(char** argv);
int cmd_find(char** argv);
int cmd_wait_dock(char** argv);
int cmd_window(char** argv);
int cmd_wm(char** argv);
int cmd_many(char** argv);
int cmd_ping(char** argv);
int cmd_close(char** argv);
int cmd_keys(char** argv);
int cmd_soak(char** argv);
int cmd_menu(char** argv);
int cmd_launch(char** argv);
int cmd_settle(char** argv);

#endif
