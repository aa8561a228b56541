// SPDX-License-Identifier: MIT
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "runtime/form.h"
#include "runtime/win32/win32_backend.h"
#include "runtime/win32/win32_popup_menu.h"
#include "tray/tray_icon_record.h"
#include "win32_test_support.h"

namespace quorvel::runtime::win32 {
namespace {

using ::testing::ElementsAre;
using namespace quorvel::runtime::win32::testsupport;

// A hidden main window that records its mouse-down events, as Form1 receives the tray's.
class ProbeForm final : public Form {
  public:
    using Form::Form;
    std::vector<float> pressesX;

  protected:
    void Form_MouseDown(std::int16_t button, std::int16_t, float x, float) override {
        EXPECT_EQ(button, vbMiddleButton);
        pressesX.push_back(x);
    }
};

class Win32BackendTest : public ::testing::Test {
  protected:
    void TearDown() override { pump(backend.windows()); }

    HWND service() { return backend.windows().menuOwner(); }

    std::vector<std::int16_t> endRequests;
    Win32Backend backend{[this](std::int16_t mode) { endRequests.push_back(mode); }};
};

TEST_F(Win32BackendTest, TheTraysCallbackReachesTheFormAsAMouseDownCarryingTheMessage) {
    auto form = std::make_shared<ProbeForm>(backend.runtime(), FormDescription{"Form1", 0, 0, {}});
    form->load();
    const NotifyIconData record = tray::makeTrayIconRecord(form->hWnd(), form->icon());
    Win32PopupMenu menu({}, service());
    backend.runtime().tray.add(record, menu);
    HWND hwnd = backend.windows().hwndFor(form->hWnd());
    ASSERT_NE(hwnd, nullptr);
    const int twips = backend.windows().twipsPerPixelX();

    // The mouse message is the low word; a shell that fills the high word changes nothing.
    SendMessageW(hwnd, record.uCallbackMessage, record.uID, MAKELPARAM(516, 0));
    SendMessageW(hwnd, record.uCallbackMessage, record.uID, MAKELPARAM(513, 0x1234));
    SendMessageW(hwnd, record.uCallbackMessage + 1, record.uID, 516);
    EXPECT_THAT(form->pressesX, ElementsAre(516.0f * static_cast<float>(twips),
                                            513.0f * static_cast<float>(twips)));

    backend.runtime().tray.remove(record);
    SendMessageW(hwnd, record.uCallbackMessage, record.uID, 516);
    EXPECT_EQ(form->pressesX.size(), 2u);
    form->unload();
}

TEST_F(Win32BackendTest, ANewTaskBarGetsTheIconAgain) {
    auto form = std::make_shared<ProbeForm>(backend.runtime(), FormDescription{"Form1", 0, 0, {}});
    form->load();
    const NotifyIconData record = tray::makeTrayIconRecord(form->hWnd(), form->icon());
    Win32PopupMenu menu({}, service());
    backend.runtime().tray.add(record, menu);
    // Changing the tip succeeds only for an icon the shell has.
    NOTIFYICONDATAW probe{};
    probe.cbSize = sizeof(probe);
    probe.hWnd = backend.windows().hwndFor(form->hWnd());
    probe.uID = record.uID;
    probe.uFlags = NIF_TIP;
    lstrcpyW(probe.szTip, L"probe");
    const auto present = [&] { return Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE; };
    ASSERT_TRUE(present());
    // The shell forgets it, as a task bar that is made anew does.
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &probe));
    ASSERT_FALSE(present());
    SendMessageW(service(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(present());
    backend.runtime().tray.remove(record);
    EXPECT_FALSE(present());
    form->unload();
}

TEST_F(Win32BackendTest, TheEndOfTheSessionEndsTheProgramOnceWhateverFollows) {
    EXPECT_EQ(SendMessageW(service(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_TRUE(endRequests.empty());
    SendMessageW(service(), WM_ENDSESSION, FALSE, 0);
    EXPECT_TRUE(endRequests.empty());
    SendMessageW(service(), WM_ENDSESSION, TRUE, 0);
    SendMessageW(service(), WM_ENDSESSION, TRUE, 0);
    SendMessageW(service(), WM_CLOSE, 0, 0);
    EXPECT_THAT(endRequests, ElementsAre(vbAppWindows));
    EXPECT_TRUE(IsWindow(service()));
}

TEST_F(Win32BackendTest, ACloseRequestToTheProgramIsTheTaskManagersEnd) {
    SendMessageW(service(), WM_CLOSE, 0, 0);
    EXPECT_THAT(endRequests, ElementsAre(vbAppTaskManager));
}

TEST_F(Win32BackendTest, AConsoleEventArrivesOnTheLoopAsAnEndRequest) {
    PostMessageW(service(), Win32Backend::kEndRequestMessage, vbAppTaskManager, 0);
    EXPECT_TRUE(pumpUntil(backend.windows(), [&] { return !endRequests.empty(); }));
    EXPECT_THAT(endRequests, ElementsAre(vbAppTaskManager));
}

// While a message box waits for the user, the session ends: the box closes by itself, and
// later messages do not wait for anyone.
TEST_F(Win32BackendTest, TheEndOfTheSessionClosesAWaitingMessageBox) {
    static HWND serviceWindow = nullptr;
    static bool boxSeen = false;
    static int ticks = 0;
    serviceWindow = service();
    boxSeen = false;
    ticks = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, kPollMilliseconds, [](HWND, UINT, UINT_PTR, DWORD) {
        HWND box = FindWindowW(L"#32770", L"Quorvel テスト");
        if (box != nullptr && !boxSeen) {
            boxSeen = true;
            SendMessageW(serviceWindow, WM_ENDSESSION, TRUE, 0);
        } else if (box != nullptr && ++ticks > 150) {
            // Never left waiting: a box that outlives 3 s is closed here, and the test fails.
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
    });
    backend.runtime().messageBox.show("セッションの終わり", vbCritical, "Quorvel テスト");
    KillTimer(nullptr, timer);
    EXPECT_TRUE(boxSeen);
    EXPECT_LE(ticks, 150);
    EXPECT_THAT(endRequests, ElementsAre(vbAppWindows));
    // Now it only writes: a box would wait for the timer that no longer runs.
    backend.runtime().messageBox.show("もう一つ", vbCritical, "Quorvel テスト");
    EXPECT_EQ(FindWindowW(L"#32770", L"Quorvel テスト"), nullptr);
}

TEST_F(Win32BackendTest, TheLoopRunsUntilTheLastFormIsUnloaded) {
    EXPECT_EQ(backend.exec(), 0);  // nothing loaded: nothing to wait for
    auto form = std::make_shared<ProbeForm>(backend.runtime(), FormDescription{"Form1", 0, 0, {}});
    form->load();
    HWND hwnd = backend.windows().hwndFor(form->hWnd());
    // The window's close command unloads the form, which ends the loop.
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(backend.exec(), 0);
    EXPECT_FALSE(form->loaded());
    EXPECT_FALSE(IsWindow(hwnd));
}

}  // namespace
}  // namespace quorvel::runtime::win32
