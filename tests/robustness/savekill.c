// SPDX-License-Identifier: MIT
/* Kills a program in the middle of a save, at a chosen point.
 *   savekill DIR PID N DELAY_US -- TRIGGER...
 *   savekill DIR PID FILE:KIND DELAY_US -- TRIGGER...   (the first event KIND, e.g. modify, on
 * FILE) Watches DIR with inotify, runs TRIGGER (e.g. "kill -TERM PID", or a click on OK) to start
 * the save, and on the N-th file event in DIR (N >= 1; 0: right after the trigger) waits DELAY_US
 * microseconds and sends SIGKILL to PID (SAVEKILL_SIGNAL=STOP: SIGSTOP, to hold it there).
 * Prints the events seen, one a line, then "killed after N" or "ended after M" (PID exited
 * first). Exit 0 signalled, 3 ended first, 2 bad use, 4 no event for 10 s. */
#define _GNU_SOURCE
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

static const char* mask_name(unsigned m) {
    if (m & IN_CREATE)
        return "create";
    if (m & IN_OPEN)
        return "open";
    if (m & IN_MODIFY)
        return "modify";
    if (m & IN_CLOSE_WRITE)
        return "close_write";
    if (m & IN_CLOSE_NOWRITE)
        return "close_nowrite";
    if (m & IN_MOVED_FROM)
        return "moved_from";
    if (m & IN_MOVED_TO)
        return "moved_to";
    if (m & IN_DELETE)
        return "delete";
    return "other";
}

static void pause_us(long us) {
    if (us > 0)
        usleep((useconds_t)us);
}

static int alive(pid_t pid) {
    char path[64], buf[512];
    snprintf(path, sizeof path, "/proc/%d/stat", (int)pid);
    FILE* f = fopen(path, "r");
    if (!f)
        return 0;
    size_t n = fread(buf, 1, sizeof buf - 1, f);
    fclose(f);
    buf[n] = 0;
    char* p = strrchr(buf, ')');
    return p && p[1] == ' ' && p[2] != 'Z' && p[2] != 'X';
}

int main(int argc, char** argv) {
    if (argc < 7 || strcmp(argv[5], "--") != 0) {
        fprintf(stderr, "usage: savekill DIR PID N DELAY_US -- TRIGGER...\n");
        return 2;
    }
    pid_t pid = (pid_t)atoi(argv[2]);
    int want = atoi(argv[3]);
    const char* colon = strchr(argv[3], ':');
    char want_name[256] = "";
    const char* want_kind = NULL;
    if (colon) {
        snprintf(want_name, sizeof want_name, "%.*s", (int)(colon - argv[3]), argv[3]);
        want_kind = colon + 1;
        want = -1;
    }
    long delay = atol(argv[4]);
    const char* how = getenv("SAVEKILL_SIGNAL");
    int sig = how && strcmp(how, "STOP") == 0 ? SIGSTOP : SIGKILL;
    int fd = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (fd < 0 || inotify_add_watch(fd, argv[1], IN_ALL_EVENTS & ~IN_ACCESS) < 0) {
        perror("inotify");
        return 2;
    }
    pid_t child = fork();
    if (child == 0) {
        execvp(argv[6], argv + 6);
        _exit(127);
    }
    int status;
    waitpid(child, &status, 0);
    if (want == 0) {
        pause_us(delay);
        kill(pid, sig);
        printf("killed after 0\n");
        return 0;
    }
    int seen = 0, idle_ms = 0;
    char buf[8192] __attribute__((aligned(__alignof__(struct inotify_event))));
    for (;;) {
        struct pollfd p = {fd, POLLIN, 0};
        int r = poll(&p, 1, 20);
        if (r <= 0) {
            /* The program may end without any further event. */
            if (!alive(pid)) {
                printf("ended after %d\n", seen);
                return 3;
            }
            idle_ms += 20;
            if (idle_ms > 10000) {
                printf("no event for 10 s after %d\n", seen);
                return 4;
            }
            continue;
        }
        idle_ms = 0;
        ssize_t len = read(fd, buf, sizeof buf);
        for (char* q = buf; len > 0 && q < buf + len;) {
            struct inotify_event* e = (struct inotify_event*)q;
            seen++;
            printf("event %d %s %s\n", seen, mask_name(e->mask), e->len ? e->name : "");
            if (seen == want || (want_kind && e->len && strcmp(e->name, want_name) == 0 &&
                                 strcmp(mask_name(e->mask), want_kind) == 0)) {
                pause_us(delay);
                kill(pid, sig);
                printf("killed after %d\n", seen);
                return 0;
            }
            q += sizeof *e + e->len;
        }
    }
}
