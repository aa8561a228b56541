// SPDX-License-Identifier: MIT
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "runtime/win32/win32_desktop_windows.h"
#include "runtime/win32/win32_file_system.h"
#include "runtime/win32/win32_system_info.h"
#include "runtime/win32/win32_text.h"
#include "win32_test_support.h"

#include <aclapi.h>
#include <sddl.h>

namespace quorvel::runtime::win32 {
namespace {

using namespace quorvel::runtime::win32::testsupport;

// A fresh folder under the temporary folder, removed afterwards with what is in it.
class TemporaryFolder {
  public:
    TemporaryFolder() {
        wchar_t base[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, base);
        path_ = std::wstring(base) + L"quorvel-test-" + std::to_wstring(GetCurrentProcessId()) +
                L"-" + std::to_wstring(GetTickCount64());
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TemporaryFolder() {
        std::wstring from = path_ + L'\0';
        SHFILEOPSTRUCTW operation{};
        operation.wFunc = FO_DELETE;
        operation.pFrom = from.c_str();
        operation.fFlags = FOF_NO_UI;
        SHFileOperationW(&operation);
    }
    std::string path(const std::string& name) const { return narrow(path_) + "\\" + name; }

  private:
    std::wstring path_;
};

TEST(Win32SystemInfo, TheApplicationFolderHoldsTheRunningProgram) {
    const Win32SystemInfo system;
    const std::string folder = system.applicationFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    const std::wstring path = module;
    const std::wstring name = path.substr(path.find_last_of(L'\\') + 1);
    EXPECT_NE(GetFileAttributesW((widen(folder) + L"\\" + name).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(system.pathSeparator(), '\\');
}

TEST(Win32SystemInfo, TheFolderOfAPathKeepsADrivesRootOnly) {
    EXPECT_EQ(folderOf(L"C:\\Program Files\\Quorvel\\quorvel.exe"), L"C:\\Program Files\\Quorvel");
    EXPECT_EQ(folderOf(L"C:\\quorvel.exe"), L"C:\\");
    EXPECT_EQ(folderOf(L"\\\\server\\share\\quorvel.exe"), L"\\\\server\\share");
    EXPECT_EQ(folderOf(L"\\\\?\\D:\\quorvel.exe"), L"\\\\?\\D:\\");
    EXPECT_EQ(folderOf(L"quorvel.exe"), L"");
}

TEST(Win32SystemInfo, TheUserNameIsTheLoginName) {
    wchar_t expected[257] = {};
    DWORD size = 257;
    ASSERT_TRUE(GetUserNameW(expected, &size));
    EXPECT_EQ(Win32SystemInfo().userName(), narrow(expected));
}

TEST(Win32FileSystem, APrivateDirectoryIsMadeOnceAndIsTheUsersOwn) {
    const TemporaryFolder temporary;
    Win32FileSystem files;
    const std::string folder = temporary.path("太郎 private");
    EXPECT_FALSE(files.examine(folder).has_value());
    ASSERT_TRUE(files.createPrivateDirectory(folder));
    const auto info = files.examine(folder);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->kind, PathInfo::Kind::Directory);
    EXPECT_TRUE(info->ownedByCurrentUser);
    EXPECT_FALSE(files.createPrivateDirectory(folder));
    EXPECT_FALSE(files.createPrivateDirectory(temporary.path("missing\\child")));
    EXPECT_FALSE(files.createPrivateDirectory(""));
    EXPECT_FALSE(files.examine("").has_value());
}

// What CreateDirectoryW is given; Wine keeps only an approximation of it in the file's mode.
TEST(Win32FileSystem, APrivateDirectoryIsOwnedByTheUserWhoAloneIsLetIn) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
        privateDirectorySecurity().c_str(), SDDL_REVISION_1, &descriptor, nullptr));
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    BYTE buffer[256] = {};
    DWORD size = sizeof(buffer);
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, buffer, size, &size));
    CloseHandle(token);
    PSID user = reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid;

    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorOwner(descriptor, &owner, &defaulted));
    ASSERT_NE(owner, nullptr);
    EXPECT_TRUE(EqualSid(owner, user));
    BOOL present = FALSE;
    PACL acl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted));
    ASSERT_TRUE(present);
    ASSERT_NE(acl, nullptr);
    ASSERT_EQ(acl->AceCount, 1);
    void* ace = nullptr;
    ASSERT_TRUE(GetAce(acl, 0, &ace));
    const auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_EQ(allowed->Header.AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE),
              OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
    EXPECT_EQ(allowed->Mask & FILE_ALL_ACCESS, static_cast<DWORD>(FILE_ALL_ACCESS));
    EXPECT_TRUE(EqualSid(const_cast<DWORD*>(&allowed->SidStart), user));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    EXPECT_TRUE(control & SE_DACL_PROTECTED);
    LocalFree(descriptor);
}

TEST(Win32FileSystem, AFileIsNeitherDirectoryNorLink) {
    const TemporaryFolder temporary;
    const std::string file = temporary.path("root");
    HANDLE handle = CreateFileW(widen(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    CloseHandle(handle);
    Win32FileSystem files;
    const auto info = files.examine(file);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->kind, PathInfo::Kind::Other);
    EXPECT_FALSE(files.createPrivateDirectory(file));
}

// Another program's window with a File menu; its thread runs until the window is gone.
class ForeignWindow {
  public:
    explicit ForeignWindow(std::wstring title) : title_(std::move(title)) {
        thread_ = std::thread([this] { run(); });
        for (int i = 0; i < 150 && !ready_.load(); ++i) {
            Sleep(kPollMilliseconds);
        }
    }
    ~ForeignWindow() {
        if (IsWindow(hwnd_)) {
            PostMessageW(hwnd_, WM_CLOSE, 0, 0);
        }
        thread_.join();
    }
    HWND hwnd() const { return hwnd_; }
    bool closedByMenu() const { return closedByMenu_.load(); }

  private:
    static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<ForeignWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == WM_COMMAND && LOWORD(wParam) == 1 && self != nullptr) {
            self->closedByMenu_ = true;
            DestroyWindow(hwnd);
            return 0;
        }
        if (message == WM_CLOSE) {
            DestroyWindow(hwnd);
            return 0;
        }
        if (message == WM_DESTROY) {
            PostQuitMessage(0);
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    void run() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = proc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"QuorvelTestForeign";
        RegisterClassW(&windowClass);
        HMENU file = CreatePopupMenu();
        AppendMenuW(file, MF_STRING, 1, L"&Close");
        HMENU bar = CreateMenu();
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
        hwnd_ = CreateWindowExW(0, windowClass.lpszClassName, title_.c_str(), WS_OVERLAPPEDWINDOW,
                                50, 50, 300, 200, nullptr, bar, windowClass.hInstance, nullptr);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        ready_ = true;
        MSG message{};
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    std::wstring title_;
    HWND hwnd_ = nullptr;
    std::thread thread_;
    std::atomic<bool> ready_{false};
    std::atomic<bool> closedByMenu_{false};
};

TEST(Win32DesktopWindows, AWindowWithTheTitleIsClosedThroughItsFileMenu) {
    const ForeignWindow folder(L"taro 専用");
    Win32DesktopWindows desktop;
    EXPECT_FALSE(desktop.closeFolderWindow({"C:\\Tools\\taro", "taro"}));
    EXPECT_TRUE(IsWindow(folder.hwnd()));
    EXPECT_TRUE(desktop.closeFolderWindow({"C:\\Tools\\taro 専用", "taro 専用"}));
    for (int i = 0; i < 150 && IsWindow(folder.hwnd()); ++i) {
        Sleep(kPollMilliseconds);
    }
    EXPECT_TRUE(folder.closedByMenu());
    EXPECT_FALSE(IsWindow(folder.hwnd()));
    EXPECT_FALSE(desktop.closeFolderWindow({"C:\\Tools\\taro 専用", "taro 専用"}));
}

}  // namespace
}  // namespace quorvel::runtime::win32
