// SPDX-License-Identifier: MIT
// Linked into every executable of a sanitized build: the options its sanitizers start with, so
// that tests, the program under Xvfb and a hand run all report the same way. The environment's
// ASAN_OPTIONS, LSAN_OPTIONS and UBSAN_OPTIONS still come after these and win.
// QUORVEL_SANITIZER_DIR holds the suppression files; QUORVEL_SANITIZER_REPORTS is where reports
// go (one file per process), since the end-to-end scripts do not show a program's stderr.

#define QUORVEL_OPTIONS_COMMON                                                          \
    "log_path=" QUORVEL_SANITIZER_REPORTS "/report:log_exe_name=1:print_summary=1:" \
    "strip_path_prefix=" QUORVEL_SOURCE_DIR "/"

extern "C" {

const char* __asan_default_options() {
    return QUORVEL_OPTIONS_COMMON
        ":detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
        ":detect_leaks=1";
}

const char* __lsan_default_options() {
    return "suppressions=" QUORVEL_SANITIZER_DIR "/lsan.supp:print_suppressions=0";
}

const char* __ubsan_default_options() {
    return QUORVEL_OPTIONS_COMMON ":print_stacktrace=1:suppressions=" QUORVEL_SANITIZER_DIR
                                  "/ubsan.supp";
}
}
