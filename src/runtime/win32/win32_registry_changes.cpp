// SPDX-License-Identifier: MIT
#include "runtime/win32/win32_registry_changes.h"

namespace quorvel::runtime::win32 {

RegistryChanges& RegistryChanges::system() {
    static RegistryChanges changes;
    return changes;
}

LSTATUS RegistryChanges::createKey(HKEY parent, const wchar_t* path, REGSAM access, HKEY* key) {
    return RegCreateKeyExW(parent, path, 0, nullptr, 0, access, nullptr, key, nullptr);
}

LSTATUS RegistryChanges::setValue(HKEY key, const wchar_t* name, DWORD type, const BYTE* data,
                                  DWORD size) {
    return RegSetValueExW(key, name, 0, type, data, size);
}

LSTATUS RegistryChanges::deleteValue(HKEY key, const wchar_t* name) {
    return RegDeleteValueW(key, name);
}

LSTATUS RegistryChanges::deleteTree(HKEY key, const wchar_t* path) {
    return RegDeleteTreeW(key, path);
}

}  // namespace quorvel::runtime::win32
