// SPDX-License-Identifier: MIT
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ole2.h>
#include <oleacc.h>

#include <algorithm>
#include <cmath>

#include "bookmarks/frm_url_edit_design.h"
#include "runtime/win32/win32_service_window.h"
#include "runtime/win32/win32_window.h"
#include "win32_test_support.h"

namespace quorvel::runtime::win32 {
namespace {

using ::testing::ElementsAre;
using namespace quorvel::runtime::win32::testsupport;

class RecordingEvents final : public WindowEvents {
  public:
    void controlClicked(const std::string& name, int index) override {
        clicks.emplace_back(name, index);
    }
    void closeRequested() override { ++closes; }

    std::vector<std::pair<std::string, int>> clicks;
    int closes = 0;
};

class Win32WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        editor = windows.createWindow(bookmarks::frmUrlEditDesign(), events);
        window = windows.window(editor->handle());
        ASSERT_NE(window, nullptr);
        hwnd = window->hwnd();
        ASSERT_NE(hwnd, nullptr);
    }
    void TearDown() override {
        editor.reset();
        pump(windows);
    }

    // Twips to pixels at the screen's DPI, rounded to nearest.
    static int px(int twips) {
        return static_cast<int>(std::lround(twips * screenDotsPerInch() / 1440.0));
    }
    RECT rectInClient(HWND control) const {
        RECT rect{};
        GetWindowRect(control, &rect);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    std::vector<const ControlDescription*> focusableInTabOrder() const {
        std::vector<const ControlDescription*> result;
        for (const auto& control : bookmarks::frmUrlEditDesign().controls) {
            if (control.kind != ControlKind::Label) {
                result.push_back(&control);
            }
        }
        std::stable_sort(result.begin(), result.end(),
                         [](auto* a, auto* b) { return a->tabIndex < b->tabIndex; });
        return result;
    }

    ServiceWindow service;
    Win32EventLoop loop;
    FormRegistry forms{loop};
    Win32WindowSystem windows{forms, service.hwnd()};
    RecordingEvents events;
    std::unique_ptr<NativeWindow> editor;
    Win32Window* window = nullptr;
    HWND hwnd = nullptr;
};

TEST_F(Win32WindowTest, EditorIsAHiddenFixedFrameWindowWithTheClientSizeOfItsTwips) {
    EXPECT_EQ(windowText(hwnd), "Quorvel Private URL Editor");
    EXPECT_FALSE(IsWindowVisible(hwnd));
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_CHILD);
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, px(6255));
    EXPECT_EQ(client.bottom, px(2640));
    EXPECT_EQ(windows.twipsPerPixelX(),
              std::max(1, static_cast<int>(std::lround(1440.0 / screenDotsPerInch()))));
}

TEST_F(Win32WindowTest, EachControlIsItsKindOfWindowAtItsTwipsRectangleInTheMessageFont) {
    const auto& controls = bookmarks::frmUrlEditDesign().controls;
    ASSERT_EQ(controls.size(), 19u);
    for (const auto& control : controls) {
        SCOPED_TRACE(control.name + " " + std::to_string(control.index));
        HWND child = window->control(control.name, control.index);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(GetParent(child), hwnd);
        const RECT rect = rectInClient(child);
        EXPECT_EQ(rect.left, px(control.left));
        EXPECT_EQ(rect.top, px(control.top));
        EXPECT_EQ(rect.right - rect.left, px(control.width));
        EXPECT_EQ(rect.bottom - rect.top, px(control.height));
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)), windows.font());
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
        switch (control.kind) {
            case ControlKind::Label:
                EXPECT_EQ(className(child), L"Static");
                EXPECT_EQ(windowText(child), control.caption);
                EXPECT_FALSE(style & WS_TABSTOP);
                break;
            case ControlKind::TextBox:
                EXPECT_EQ(className(child), L"Edit");
                EXPECT_TRUE(style & WS_TABSTOP);
                EXPECT_TRUE(style & ES_AUTOHSCROLL);
                EXPECT_GE(static_cast<unsigned long>(SendMessageW(child, EM_GETLIMITTEXT, 0, 0)),
                          0x7FFFFFFEul);
                break;
            case ControlKind::Button:
                EXPECT_EQ(className(child), L"Button");
                EXPECT_EQ(windowText(child), control.caption);
                EXPECT_TRUE(style & WS_TABSTOP);
                EXPECT_EQ(style & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON));
                break;
        }
    }
    EXPECT_NE(windows.font(), nullptr);
}

TEST_F(Win32WindowTest, TabOrderFollowsTabIndexAndEveryLabelLiesBelowEveryBox) {
    const auto expected = focusableInTabOrder();
    HWND current = window->control(expected.front()->name, expected.front()->index);
    for (std::size_t i = 1; i <= expected.size(); ++i) {
        const auto* next = expected[i % expected.size()];
        current = GetNextDlgTabItem(hwnd, current, FALSE);
        EXPECT_EQ(current, window->control(next->name, next->index))
            << "after tab stop " << i << " expected " << next->name << " " << next->index;
    }
    // Z-order from the top: all boxes and buttons, then all labels that are drawn (the boxes'
    // invisible name labels sit right before them).
    bool seenLabel = false;
    for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(child, GWL_STYLE));
        if (className(child) == L"Static" && !(style & WS_VISIBLE)) {
            continue;
        }
        const bool label = className(child) == L"Static";
        EXPECT_FALSE(seenLabel && !label) << "a box or button lies below a label";
        seenLabel = seenLabel || label;
        if (label) {
            EXPECT_TRUE(GetWindowLongPtrW(child, GWL_STYLE) & WS_CLIPSIBLINGS);
        }
    }
    EXPECT_TRUE(seenLabel);
}

// What a screen reader hears at each stop, through the system's own accessible objects.
TEST_F(Win32WindowTest, AScreenReaderNamesEachBoxByItsRowAndColumnAndEachButtonByItsCaption) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    const auto read = [](HWND control, long& role) {
        IAccessible* object = nullptr;
        // __uuidof: oleacc's import library carries an IID_IAccessible that is no GUID.
        const HRESULT found =
            AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                       __uuidof(IAccessible), reinterpret_cast<void**>(&object));
        std::wstring name = L"(no object: " + std::to_wstring(found) + L")";
        if (SUCCEEDED(found) && object != nullptr) {
            VARIANT self{};
            self.vt = VT_I4;
            self.lVal = CHILDID_SELF;
            BSTR text = nullptr;
            name = object->get_accName(self, &text) == S_OK && text ? text : L"(none)";
            SysFreeString(text);
            VARIANT kind{};
            role = object->get_accRole(self, &kind) == S_OK && kind.vt == VT_I4 ? kind.lVal : 0;
            object->Release();
        }
        return name;
    };
    for (const auto& control : bookmarks::frmUrlEditDesign().controls) {
        if (control.kind == ControlKind::Label) {
            continue;
        }
        SCOPED_TRACE(control.name + " " + std::to_string(control.index));
        long role = 0;
        const std::wstring name = read(window->control(control.name, control.index), role);
        if (control.kind == ControlKind::TextBox) {
            ASSERT_FALSE(control.accessibleName.empty());
            EXPECT_EQ(name, widen(control.accessibleName));
            EXPECT_EQ(role, ROLE_SYSTEM_TEXT);
        } else {
            // Only the name: Wine gives buttons the plain client role, Windows the button's.
            EXPECT_EQ(name, widen(control.caption));
        }
    }
    long role = 0;
    EXPECT_EQ(read(window->control("txtURL", 2), role), L"3. URL");
    EXPECT_EQ(read(window->control("Label1", 2), role), L"3.");
    CoUninitialize();
}

TEST_F(Win32WindowTest, BoxesGiveBackWhatWasPutInWholeAndOtherControlsHaveNoText) {
    const std::string japanese = "作者HP 🌏 \"quoted\" & more";
    editor->setText("txtTitle", 3, japanese);
    EXPECT_EQ(editor->text("txtTitle", 3), japanese);
    EXPECT_EQ(editor->text("txtTitle", 2), "");
    const std::string longUrl = "http://quorvel.example/" + std::string(100000, 'x');
    editor->setText("txtURL", 4, longUrl);
    EXPECT_EQ(editor->text("txtURL", 4), longUrl);
    editor->setText("cmdOK", -1, "changed");
    EXPECT_EQ(windowText(window->control("cmdOK", -1)), "OK");
    EXPECT_EQ(editor->text("Label3", -1), "");
    EXPECT_EQ(editor->text("nothing", 0), "");
}

// Where the window was first moved to; a window manager may place it elsewhere afterwards.
RECT firstPlacement;
HWND placedWindow;
LRESULT CALLBACK watchPlacement(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->hwnd == placedWindow &&
        message->message == WM_WINDOWPOSCHANGED && firstPlacement.right == 0) {
        const auto* position = reinterpret_cast<const WINDOWPOS*>(message->lParam);
        if (!(position->flags & SWP_NOMOVE)) {
            GetWindowRect(placedWindow, &firstPlacement);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(Win32WindowTest, FirstShowCentresTheWindowAndFocusesTheLowestTabIndex) {
    firstPlacement = RECT{};
    placedWindow = hwnd;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, watchPlacement, nullptr, GetCurrentThreadId());
    editor->setVisible(true);
    UnhookWindowsHookEx(hook);
    HWND ok = window->control("cmdOK", -1);
    EXPECT_TRUE(pumpUntil(windows, [&] { return GetFocus() == ok; }));
    EXPECT_TRUE(IsWindowVisible(hwnd));
    const RECT frame = firstPlacement;
    ASSERT_NE(frame.right, 0) << "the window was never placed";
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    EXPECT_NEAR((frame.left + frame.right) / 2.0, (area.left + area.right) / 2.0, 1.0);
    EXPECT_NEAR((frame.top + frame.bottom) / 2.0, (area.top + area.bottom) / 2.0, 1.0);
    editor->setVisible(false);
    EXPECT_FALSE(IsWindowVisible(hwnd));
}

TEST_F(Win32WindowTest, TheCloseCommandAsksTheFormAndLeavesTheWindowToIt) {
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(events.closes, 1);
    EXPECT_TRUE(IsWindow(hwnd));
    const HWND before = hwnd;
    editor.reset();
    EXPECT_FALSE(IsWindow(before));
}

TEST_F(Win32WindowTest, ButtonClicksReportTheButtonsNameAndIndex) {
    SendMessageW(window->control("cmdOK", -1), BM_CLICK, 0, 0);
    SendMessageW(window->control("Command1", -1), BM_CLICK, 0, 0);
    // A click on a box is no command.
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(Win32Window::kFirstControlId + 5, BN_CLICKED),
                 reinterpret_cast<LPARAM>(window->control("txtURL", 0)));
    EXPECT_THAT(events.clicks, ElementsAre(std::pair<std::string, int>("cmdOK", -1),
                                           std::pair<std::string, int>("Command1", -1)));
}

TEST_F(Win32WindowTest, TabMovesOnInTabOrderWhileEnterAndEscapeDoNothing) {
    editor->setVisible(true);
    HWND ok = window->control("cmdOK", -1);
    ASSERT_TRUE(pumpUntil(windows, [&] { return GetFocus() == ok; }));
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        pressKey(ok, key);
        pump(windows);
    }
    pressKey(ok, VK_TAB);
    HWND cancel = window->control("Command1", -1);
    EXPECT_TRUE(pumpUntil(windows, [&] { return GetFocus() == cancel; }));
    pressKey(cancel, VK_TAB);
    HWND title = window->control("txtTitle", 0);
    EXPECT_TRUE(pumpUntil(windows, [&] { return GetFocus() == title; }));
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        pressKey(title, key);
        pump(windows);
    }
    EXPECT_TRUE(events.clicks.empty());
    EXPECT_EQ(events.closes, 0);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    // Space is what presses a focused button.
    SetFocus(cancel);
    pressKey(cancel, VK_SPACE);
    EXPECT_TRUE(pumpUntil(windows, [&] { return !events.clicks.empty(); }));
    EXPECT_THAT(events.clicks, ElementsAre(std::pair<std::string, int>("Command1", -1)));
}

TEST_F(Win32WindowTest, AFormWithoutControlsIsAPlainHiddenWindowWithoutDialogKeys) {
    RecordingEvents mainEvents;
    auto main = windows.createWindow(FormDescription{"Form1", 0, 0, {}}, mainEvents);
    HWND mainHwnd = windows.hwndFor(main->handle());
    ASSERT_NE(mainHwnd, nullptr);
    EXPECT_NE(main->handle(), editor->handle());
    EXPECT_EQ(windowText(mainHwnd), "Form1");
    main->setVisible(false);
    EXPECT_FALSE(IsWindowVisible(mainHwnd));
    EXPECT_EQ(windows.dialogFor(mainHwnd), nullptr);
    EXPECT_EQ(windows.dialogFor(window->control("txtURL", 2)), hwnd);
    EXPECT_NE(main->icon(), 0u);
    const WindowHandle handle = main->handle();
    main.reset();
    EXPECT_EQ(windows.hwndFor(handle), nullptr);
    EXPECT_FALSE(IsWindow(mainHwnd));
}

}  // namespace
}  // namespace quorvel::runtime::win32
