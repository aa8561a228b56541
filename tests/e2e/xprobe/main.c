// SPDX-License-Identifier: MIT
// xprobe COMMAND ARGS...: the one X11 helper of the end-to-end tests (Linux and Wine alike),
// the robustness soaks and the benchmarks; no stock tool does these jobs. Exit status 2: bad
// arguments, no display or an unreadable file.
#include <string.h>

#include "xprobe.h"

static const struct command {
    const char* name;
    int min_args, max_args;   // max_args -1: any number
    int (*run)(char** argv);  // ARGV ends with NULL
    const char* usage;
} commands[] = {
    {"owner", 1, 2, cmd_owner,
     "SELECTION [MS]   prints the selection's owner, waiting up to MS for one; exit 1 if none"},
    {"text", 2, 2, cmd_text, "SEL MS   prints SEL's text (UTF8_STRING); exit 1 if none within MS"},
    {"clear", 1, 1, cmd_clear, "SEL   leaves SEL without an owner"},
    {"grab", 5, 5, cmd_grab, "X Y W H FILE.ppm   saves a screen area as a binary PPM"},
    {"diffbox", 5, 5, cmd_diffbox,
     "X Y W H FILE.ppm   prints \"WxH+X+Y\" around the pixels that now differ from FILE\n"
     "      (relative to the area), or \"none\""},
    {"colours", 4, 4, cmd_colours,
     "X Y W H   prints the number of distinct colours (capped at 64)"},
    {"find", 1, 1, cmd_find,
     "CLASS   viewable windows of that WM_CLASS (name or class), one a line: \"ID(decimal) X Y\n"
     "      W H OVERRIDE-REDIRECT(0/1) PARENT-IS-ROOT(0/1) TITLE\" (_NET_WM_NAME, maybe empty)"},
    {"wait-dock", 4, 4, cmd_wait_dock,
     "SEL CLASS MS1 MS2   waits up to MS1 for SEL to get an owner, then up to MS2 for a\n"
     "      viewable window of CLASS that is not a child of the root (a docked icon); prints\n"
     "      both times (ms since the epoch), \"none\" for a dock not seen (exit 1)"},
    {"window", 1, -1, cmd_window,
     "LOG [--title T] [--net-name T] [--wm-name T] [--class C] [--no-delete]\n"
     "      maps a top-level window (--title: WM_NAME and _NET_WM_NAME; --class: instance and\n"
     "      class); writes \"mapped 0xID\" to LOG once mapped, then one line per client\n"
     "      message: \"delete\" (WM_DELETE_WINDOW: exits 0), \"ping N\", \"message ATOM\""},
    {"wm", 1, -1, cmd_wm,
     "LOG [CLIENT...]   a stand-in reparenting window manager: claims _NET_CLOSE_WINDOW and\n"
     "      _NET_ACTIVE_WINDOW, frames each CLIENT, lists them in _NET_CLIENT_LIST; writes\n"
     "      \"ready 0xID\", then logs messages to the root as \"message ATOM 0xWINDOW L0 L1\"\n"
     "      and pings as \"ping N\""},
    {"many", 2, 2, cmd_many,
     "N CLASS   maps N windows of that WM_CLASS titled \"w1\" to \"wN\", prints \"mapped N\",\n"
     "      then waits"},
    {"ping", 2, 2, cmd_ping, "WINDOW N   sends a ping message to WINDOW's owner"},
    {"close", 1, 1, cmd_close, "WINDOW   sends WM_DELETE_WINDOW, as a window manager would"},
    {"keys", 1, -1, cmd_keys,
     "[--check] TEXT...   puts every character of TEXT missing from the keymap on a spare\n"
     "      keycode (--check: exit 1 if one is missing)"},
    {"soak", 6, 12, cmd_soak,
     "menu N X1 Y1 X2 Y2 | editor N X1 Y1 X2 Y2 cancel|ok|both TITLE OKX OKY CANCELX CANCELY\n"
     "      N menu cycles (right press at the two points in turn, Escape), or editor cycles\n"
     "      (Down x6 Return, the button pressed); waits bounded by XPROBE_TIMEOUT_MS"},
    {"menu", 8, 8, cmd_menu,
     "OUT PID X Y W H CYCLES TIMEOUT_MS   timed menu cycles of process PID's icon; one line a\n"
     "      cycle in OUT: \"N MAPPED PAINTED GONE\" (us from the press; GONE from Escape)"},
    {"launch", 3, -1, cmd_launch,
     "OUT TIMEOUT_MS PROGRAM [ARGS...]   runs PROGRAM; OUT gets its icon's docked, mapped and\n"
     "      painted times (us after exec) and geometry"},
    {"settle", 3, 3, cmd_settle,
     "PID QUIET_MS TIMEOUT_MS   waits until PID used no CPU for QUIET_MS; prints the ms"},
};

int main(int argc, char** argv) {
    size_t count = sizeof commands / sizeof commands[0];
    for (size_t i = 0; argc >= 2 && i < count; i++) {
        const struct command* c = &commands[i];
        if (strcmp(argv[1], c->name) == 0 && argc - 2 >= c->min_args &&
            (c->max_args < 0 || argc - 2 <= c->max_args)) {
            // Only settle reads no window.
            if (c->run != cmd_settle)
                open_display();
            int status = c->run(argv + 2);
            if (status != 2)
                return status;
        }
    }
    fputs("usage: xprobe COMMAND ARGS...\n", stderr);
    for (size_t i = 0; i < count; i++)
        fprintf(stderr, "  %s %s\n", commands[i].name, commands[i].usage);
    return 2;
}
