// SPDX-License-Identifier: MIT
// The end-to-end test's stand-in for the handlers that ShellExecuteW starts (a browser, the
// folder window): it appends "open<TAB>argument" to the file named by QUORVEL_E2E_OPENER_LOG.
// For a folder it also shows a window titled with the folder's name, with a File menu whose
// Close item (Alt+F, C) logs "closed-by-menu<TAB>title" before the window closes.
// With --hold it only keeps a hidden window until it is closed, so that Wine's desktop stays
// up between test programs instead of starting anew for each.
#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

constexpr UINT kCloseCommand = 1;
constexpr UINT kLifetimeMilliseconds = 60000;
std::wstring logPath;
std::wstring title;

void logLine(const std::wstring& kind, const std::wstring& text) {
    const std::wstring line = kind + L"\t" + text + L"\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(), size,
                        nullptr, nullptr);
    HANDLE file = CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
}

LRESULT CALLBACK folderWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wParam) == kCloseCommand) {
                logLine(L"closed-by-menu", title);
                DestroyWindow(hwnd);
                return 0;
            }
            break;
        case WM_CLOSE:
            logLine(L"closed", title);
            DestroyWindow(hwnd);
            return 0;
        case WM_TIMER:
            logLine(L"timeout", title);
            DestroyWindow(hwnd);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int showFolderWindow(const std::wstring& folder) {
    std::wstring trimmed = folder;
    while (trimmed.size() > 3 && (trimmed.back() == L'\\' || trimmed.back() == L'/')) {
        trimmed.pop_back();
    }
    const std::size_t separator = trimmed.find_last_of(L"\\/");
    title = separator == std::wstring::npos ? trimmed : trimmed.substr(separator + 1);
    // One window per folder, as a file manager does: a second open only brings it forward.
    if (HWND open = FindWindowW(L"QuorvelE2EFolder", title.c_str())) {
        SetForegroundWindow(open);
        return 0;
    }

    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = folderWindow;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"QuorvelE2EFolder";
    RegisterClassW(&windowClass);
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, kCloseCommand, L"&Close");
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    HWND hwnd = CreateWindowExW(0, windowClass.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW,
                                600, 400, 300, 200, nullptr, bar, instance, nullptr);
    if (hwnd == nullptr) {
        return 1;
    }
    SetTimer(hwnd, 1, kLifetimeMilliseconds, nullptr);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    logLine(L"shown", title);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

int hold() {
    HWND hwnd = CreateWindowExW(0, L"STATIC", L"Quorvel e2e hold", WS_POPUP, 0, 0, 1, 1, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    SetTimer(hwnd, 1, 10 * kLifetimeMilliseconds, nullptr);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0 && message.message != WM_TIMER) {
        DispatchMessageW(&message);
    }
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    const std::wstring target = arguments != nullptr && count > 1 ? arguments[1] : L"";
    if (target == L"--hold") {
        return hold();
    }
    wchar_t path[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"QUORVEL_E2E_OPENER_LOG", path, MAX_PATH) == 0) {
        return 2;
    }
    logPath = path;
    logLine(L"open", target);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (!target.empty() && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return showFolderWindow(target);
    }
    return 0;
}
