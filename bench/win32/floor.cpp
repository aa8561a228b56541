// SPDX-License-Identifier: MIT
// The floor: the smallest native tray program with what Quorvel shows, an icon, a tooltip and a
// ten-entry menu on the right press, built like Quorvel's Windows program. What Quorvel costs
// beyond this is its own.
#include <windows.h>

#include <shellapi.h>

#include <initializer_list>

namespace {

constexpr UINT kCallback = 0x207;
constexpr UINT kQuit = 10;
HMENU menu;

LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCallback && LOWORD(lParam) == WM_RBUTTONDOWN) {
        POINT point;
        GetCursorPos(&point);
        SetForegroundWindow(hwnd);
        const UINT chosen = static_cast<UINT>(
            TrackPopupMenu(menu, TPM_RETURNCMD, point.x, point.y, 0, hwnd, nullptr));
        PostMessageW(hwnd, WM_NULL, 0, 0);
        if (chosen == kQuit) {
            PostMessageW(hwnd, WM_CLOSE, 0, 0);
        }
        return 0;
    }
    if (message == WM_CLOSE) {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof(data);
        data.hWnd = hwnd;
        data.uID = 1;
        Shell_NotifyIconW(NIM_DELETE, &data);
        DestroyWindow(hwnd);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    menu = CreatePopupMenu();
    for (const wchar_t* title : {L"作者HP", L"ニュース", L"天気予報", L"地図", L"辞書"}) {
        AppendMenuW(menu, MF_STRING, 1, title);
    }
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, 2, L"URL編集");
    AppendMenuW(menu, MF_STRING, 3, L"ヘルプ");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, kQuit, L"終了");

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"Floor";
    RegisterClassW(&windowClass);
    HWND hwnd = CreateWindowExW(0, L"Floor", L"Floor", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0, nullptr,
                                nullptr, instance, nullptr);
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = hwnd;
    data.uID = 1;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kCallback;
    data.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    lstrcpyW(data.szTip, L"Floor");
    Shell_NotifyIconW(NIM_ADD, &data);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
