// SPDX-License-Identifier: MIT
#pragma once

#include <cstdlib>

// A property a target checks: libFuzzer keeps the input that breaks it.
inline void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}
