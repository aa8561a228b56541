// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/win32/win32_api.h"

namespace quorvel::runtime::win32 {

// The registry changes the settings store makes, one call each, so that a test can put in one
// that fails (or stops) at the change it chooses. This one makes them.
class RegistryChanges {
  public:
    virtual ~RegistryChanges() = default;

    // The one that only makes the calls; it keeps no state.
    static RegistryChanges& system();

    virtual LSTATUS createKey(HKEY parent, const wchar_t* path, REGSAM access, HKEY* key);
    virtual LSTATUS setValue(HKEY key, const wchar_t* name, DWORD type, const BYTE* data,
                             DWORD size);
    virtual LSTATUS deleteValue(HKEY key, const wchar_t* name);
    virtual LSTATUS deleteTree(HKEY key, const wchar_t* path);
};

}  // namespace quorvel::runtime::win32
