// SPDX-License-Identifier: MIT
#include "runtime/win32/win32_file_system.h"

#include "runtime/win32/win32_api.h"

#include <aclapi.h>
#include <sddl.h>

#include <memory>
#include <vector>

#include "runtime/win32/win32_text.h"

namespace quorvel::runtime::win32 {

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

struct LocalFreer {
    void operator()(void* memory) const { LocalFree(memory); }
};

// What the current process token says about its user.
struct TokenFacts {
    std::vector<BYTE> user;  // the user's SID
    bool administrator = false;
};

std::vector<BYTE> tokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
    DWORD size = 0;
    GetTokenInformation(token, kind, nullptr, 0, &size);
    if (size == 0) {
        return {};
    }
    std::vector<BYTE> buffer(size);
    if (!GetTokenInformation(token, kind, buffer.data(), size, &size)) {
        return {};
    }
    return buffer;
}

TokenFacts currentToken() {
    TokenFacts facts;
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) {
        return facts;
    }
    const Handle token(raw);
    const std::vector<BYTE> user = tokenInformation(raw, TokenUser);
    if (!user.empty()) {
        PSID sid = reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid;
        const auto* bytes = static_cast<const BYTE*>(sid);
        facts.user.assign(bytes, bytes + GetLengthSid(sid));
    }
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(administrators);
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size)) {
        return facts;
    }
    // Any membership counts, also one that a filtered (not elevated) token keeps for deny only.
    const std::vector<BYTE> groups = tokenInformation(raw, TokenGroups);
    if (!groups.empty()) {
        const auto* list = reinterpret_cast<const TOKEN_GROUPS*>(groups.data());
        for (DWORD i = 0; i < list->GroupCount; ++i) {
            if (EqualSid(list->Groups[i].Sid, administrators)) {
                facts.administrator = true;
            }
        }
    }
    return facts;
}

bool ownedByCurrentUser(const std::wstring& path) {
    // The link itself, not what it leads to.
    const Handle file(CreateFileW(
        path.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        return false;
    }
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const std::unique_ptr<void, LocalFreer> freeDescriptor(descriptor);
    if (owner == nullptr) {
        return false;
    }
    const TokenFacts token = currentToken();
    if (!token.user.empty() && EqualSid(owner, const_cast<BYTE*>(token.user.data()))) {
        return true;
    }
    return token.administrator && IsWellKnownSid(owner, WinBuiltinAdministratorsSid);
}

}  // namespace

std::optional<PathInfo> Win32FileSystem::examine(const std::string& path) const {
    if (path.empty()) {
        return std::nullopt;
    }
    const std::wstring wide = widen(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return std::nullopt;
    }
    PathInfo info{PathInfo::Kind::Other, ownedByCurrentUser(wide)};
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        info.kind = PathInfo::Kind::SymbolicLink;
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        info.kind = PathInfo::Kind::Directory;
    }
    return info;
}

std::wstring privateDirectorySecurity() {
    const TokenFacts token = currentToken();
    wchar_t* user = nullptr;
    if (token.user.empty() ||
        !ConvertSidToStringSidW(const_cast<BYTE*>(token.user.data()), &user)) {
        return {};
    }
    const std::unique_ptr<void, LocalFreer> freeUser(user);
    // Owned by the user even when elevated, so that later runs find it theirs.
    return std::wstring(L"O:") + user + L"D:P(A;OICI;FA;;;" + user + L")";
}

bool Win32FileSystem::createPrivateDirectory(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    const std::wstring wide = widen(path);
    const std::wstring sddl = privateDirectorySecurity();
    if (!sddl.empty()) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                 &descriptor, nullptr)) {
            const std::unique_ptr<void, LocalFreer> freeDescriptor(descriptor);
            SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
            if (CreateDirectoryW(wide.c_str(), &attributes)) {
                return true;
            }
            const DWORD error = GetLastError();
            if (error != ERROR_INVALID_OWNER && error != ERROR_PRIVILEGE_NOT_HELD &&
                error != ERROR_INVALID_SECURITY_DESCR) {
                return false;
            }
        }
    }
    return CreateDirectoryW(wide.c_str(), nullptr) != FALSE;
}

}  // namespace quorvel::runtime::win32
