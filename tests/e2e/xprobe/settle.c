// SPDX-License-Identifier: MIT
// settle PID QUIET_MS TIMEOUT_MS: returns once the process has used no CPU for QUIET_MS,
// checked every 20 ms, and prints how long that took (ms until its last CPU use).
#include <dirent.h>
#include <stdlib.h>

#include "xprobe.h"

// Nanoseconds on CPU of all the process's threads; -1 once it is gone.
static long long cpu_ns(long pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%ld/task", pid);
    DIR* tasks = opendir(path);
    if (tasks == NULL)
        return -1;
    long long total = 0;
    struct dirent* entry;
    while ((entry = readdir(tasks)) != NULL) {
        if (entry->d_name[0] == '.')
            continue;
        char file[320];
        snprintf(file, sizeof file, "/proc/%ld/task/%s/schedstat", pid, entry->d_name);
        FILE* stat = fopen(file, "r");
        long long ns = 0;
        if (stat != NULL) {
            if (fscanf(stat, "%lld", &ns) == 1)
                total += ns;
            fclose(stat);
        }
    }
    closedir(tasks);
    return total;
}

int cmd_settle(char** argv) {
    long pid = atol(argv[0]);
    long long quiet_us = atoll(argv[1]) * 1000;
    long long start = now_us(), deadline = deadline_in_ms(atoll(argv[2]));
    long long last = cpu_ns(pid), since = start;
    while (now_us() < deadline) {
        nap_ms(20);
        long long cpu = cpu_ns(pid);
        if (cpu < 0)
            fail("the process %ld is gone", pid);
        if (cpu != last) {
            last = cpu;
            since = now_us();
        } else if (now_us() - since >= quiet_us) {
            printf("%lld\n", (since - start) / 1000);
            return 0;
        }
    }
    fail("the process %ld never went quiet", pid);
}
