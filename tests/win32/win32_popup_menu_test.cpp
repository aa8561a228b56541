// SPDX-License-Identifier: MIT
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "runtime/win32/win32_popup_menu.h"
#include "runtime/win32/win32_service_window.h"
#include "runtime/win32/win32_text.h"
#include "win32_test_support.h"

namespace quorvel::runtime::win32 {
namespace {

using ::testing::ElementsAre;
using namespace quorvel::runtime::win32::testsupport;

struct MenuEntry {
    bool separator;
    std::wstring text;
};

std::vector<MenuEntry> entries(HMENU menu) {
    std::vector<MenuEntry> result;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[512] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID;
        info.dwTypeData = text;
        info.cch = 512;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        EXPECT_EQ(info.wID, static_cast<UINT>(i + 1));
        result.push_back({(info.fType & MFT_SEPARATOR) != 0, text});
    }
    return result;
}

// While the next menu is open, sends these keys to it from a timer of this thread; a last
// timer closes the menu in any case, so that a test never hangs.
class MenuDriver {
  public:
    explicit MenuDriver(std::vector<WPARAM> keys) {
        keys_ = std::move(keys);
        sent_ = 0;
        SetTimer(nullptr, 0, kPollMilliseconds, &MenuDriver::tick);
    }
    ~MenuDriver() { keys_.clear(); }

  private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR timer, DWORD) {
        HWND menu = FindWindowW(L"#32768", nullptr);
        if (menu == nullptr || !IsWindowVisible(menu)) {
            if (++idleTicks_ > 250) {
                KillTimer(nullptr, timer);
            }
            return;
        }
        if (sent_ < keys_.size()) {
            pressKey(menu, keys_[sent_++]);
            return;
        }
        KillTimer(nullptr, timer);
        EndMenu();
    }

    static inline std::vector<WPARAM> keys_;
    static inline std::size_t sent_ = 0;
    static inline int idleTicks_ = 0;
};

std::vector<MenuItem> items(std::vector<std::string>& log) {
    std::vector<MenuItem> result;
    for (const char* name : {"One", "Two", "-", "Three"}) {
        const std::string caption = name;
        result.push_back(
            {name, caption,
             caption == "-" ? std::function<void()>()
                            : std::function<void()>([&log, caption] { log.push_back(caption); })});
    }
    return result;
}

class Win32PopupMenuTest : public ::testing::Test {
  protected:
    ServiceWindow owner;
    std::vector<std::string> log;
};

TEST_F(Win32PopupMenuTest, ItemsAreStringsAndSeparatorsWithIdsInOrder) {
    Win32PopupMenu menu(items(log), owner.hwnd());
    const auto shown = entries(menu.handle());
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_FALSE(shown[0].separator);
    EXPECT_EQ(shown[0].text, L"One");
    EXPECT_EQ(shown[1].text, L"Two");
    EXPECT_TRUE(shown[2].separator);
    EXPECT_EQ(shown[3].text, L"Three");
}

TEST_F(Win32PopupMenuTest, CaptionsChangeAsGivenWithLongOnesShortenedOnScreenOnly) {
    Win32PopupMenu menu(items(log), owner.hwnd());
    menu.setCaption(0, "Tom & Jerry の &Home");
    std::string longCaption(198, 'a');
    longCaption += "🌏🌏🌏";
    menu.setCaption(1, longCaption);
    menu.setCaption(2, "not a separator");
    menu.setCaption(9, "out of range");
    const auto shown = entries(menu.handle());
    EXPECT_EQ(shown[0].text, widen("Tom & Jerry の &Home"));
    // 198 letters, then the first emoji would need units 199 and 200: cut before it.
    EXPECT_EQ(shown[1].text, std::wstring(198, L'a') + L"\u2026");
    EXPECT_TRUE(shown[2].separator);
    EXPECT_EQ(shown.size(), 4u) << "an item out of range is not added";
}

TEST_F(Win32PopupMenuTest, TheChosenItemsHandlerHasRunWhenPopupReturns) {
    Win32PopupMenu menu(items(log), owner.hwnd());
    {
        const MenuDriver driver({VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
        menu.popup();
    }
    EXPECT_THAT(log, ElementsAre("Three"));
    {
        const MenuDriver driver({VK_DOWN, VK_ESCAPE});
        menu.popup();
    }
    EXPECT_THAT(log, ElementsAre("Three"));
}

TEST_F(Win32PopupMenuTest, AHandlerMayDestroyItsOwnMenu) {
    std::unique_ptr<Win32PopupMenu> menu;
    int calls = 0;
    menu = std::make_unique<Win32PopupMenu>(std::vector<MenuItem>{{"Quit", "終了",
                                                                   [&] {
                                                                       ++calls;
                                                                       menu.reset();
                                                                   }}},
                                            owner.hwnd());
    const MenuDriver driver({VK_DOWN, VK_RETURN});
    menu->popup();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(menu, nullptr);
}

}  // namespace
}  // namespace quorvel::runtime::win32
