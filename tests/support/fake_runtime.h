// SPDX-License-Identifier: MIT
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace quorvel::testing {

// Every port, in memory. Each call is appended to one log, in order, so tests can check the
// sequence of effects; tests drive the program through the same routes the platform would.
class FakeRuntime final : private runtime::EventLoop,
                          private runtime::WindowSystem,
                          private runtime::TrayArea,
                          private runtime::MessageBox,
                          private runtime::SettingsStore,
                          private runtime::Shell,
                          private runtime::SystemInfo,
                          private runtime::FileSystem,
                          private runtime::DesktopWindows {
  public:
    struct Message {
        std::string text;
        int style;
        std::string title;
        std::string details;
    };
    struct Window;

    FakeRuntime();
    ~FakeRuntime() override;

    runtime::Runtime& runtime() { return runtime_; }

    // The icon every window of the fake carries.
    static constexpr runtime::IconHandle kWindowIcon = 7;

    // --- what the program did ---
    std::vector<std::string> log;
    std::vector<std::string> opened;  // shell launches
    std::vector<Message> messages;
    std::optional<runtime::NotifyIconData> trayIcon;  // the icon now in the tray
    int trayAdds = 0;
    int trayRemoves = 0;
    bool loopEnded = false;
    int popups = 0;

    // --- the world the program sees ---
    std::map<std::string, std::string> store;  // "application/section/key" -> value
    bool storeWritable = true;
    std::string storeFailure = "Quorvel.ini: No space left on device";  // reason of a failed save
    std::vector<std::string> lastSaveChanged;  // the keys the last save said it changed
    std::string applicationFolder_ = "/opt/Quorvel";
    std::optional<std::string> userName_ = "taro";
    mutable int userNameLookups = 0;
    int twipsPerPixel = 15;
    std::map<std::string, runtime::PathInfo> paths;  // what exists on disk
    bool directoriesCreatable = true;
    std::vector<std::string> windowTitles;    // other programs' top-level windows, oldest first
    std::size_t windowsBeforeOpen = 0;        // those titled with the folder's name at its open
    bool desktopFails = false;                // the desktop throws on any request
    std::function<void()> whileMessageShown;  // the user, while a message box waits

    // --- the user ---
    // A press over the tray icon: the callback message goes to the icon's window.
    void pressIcon(std::uint32_t mouseMessage);
    // The item (by name) to choose when the next popup menu opens; none dismisses it.
    void chooseOnNextPopup(std::string itemName) { menuChoices_.push_back(std::move(itemName)); }
    // Right press on the icon, choosing the named item from the menu that pops up.
    void chooseFromTrayMenu(const std::string& itemName);
    // A choice in the tray host's own copy of the menu (a StatusNotifier host): the handler runs
    // straight from the event loop, not inside an event of the form.
    void chooseFromHostMenu(const std::string& itemName);
    // The caption that item `index` of the most recent menu shows.
    std::string menuCaption(std::size_t index) const;
    std::string menuDescription(std::size_t index) const;
    std::vector<std::string> menuCaptions() const;
    std::vector<std::string> menuDescriptions() const;

    Window* windowTitled(const std::string& caption);
    void type(Window& window, const std::string& control, int index, const std::string& text);
    void click(Window& window, const std::string& control, int index = -1);
    void closeByTitleBar(Window& window);

    static std::string storeKey(const std::string& application, const std::string& section,
                                const std::string& key) {
        return application + "/" + section + "/" + key;
    }

  private:
    class Menu;
    class NativeWindowImpl;

    // EventLoop
    void quit() override;
    // WindowSystem
    std::unique_ptr<runtime::NativeWindow> createWindow(const runtime::FormDescription& description,
                                                        runtime::WindowEvents& events) override;
    std::unique_ptr<runtime::PopupMenu> createMenu(std::vector<runtime::MenuItem> items) override;
    int twipsPerPixelX() const override { return twipsPerPixel; }
    void setForegroundWindow(runtime::WindowHandle window) override;
    // TrayArea
    void add(const runtime::NotifyIconData& record, runtime::PopupMenu& menu) override;
    void remove(const runtime::NotifyIconData& record) override;
    // MessageBox
    void show(const std::string& text, int style, const std::string& title,
              const std::string& details) override;
    // SettingsStore
    std::string get(const std::string& application, const std::string& section,
                    const std::string& key, const std::string& fallback) override;
    runtime::SaveOutcome save(const std::string& application, const std::string& section,
                              const runtime::SettingsEntries& entries,
                              const std::vector<std::string>& changed) override;
    // Shell
    void open(const std::string& target) override;
    // SystemInfo
    std::string applicationFolder() const override { return applicationFolder_; }
    std::optional<std::string> userName() const override {
        ++userNameLookups;
        return userName_;
    }
    char pathSeparator() const override { return '/'; }
    // FileSystem
    std::optional<runtime::PathInfo> examine(const std::string& path) const override;
    bool createPrivateDirectory(const std::string& path) override;
    // DesktopWindows
    void noteWindowsBeforeOpen(const runtime::FolderWindow& folder) override;
    bool closeFolderWindow(const runtime::FolderWindow& folder) override;

    runtime::FormRegistry forms_;
    runtime::Runtime runtime_;
    std::deque<std::string> menuChoices_;
    Menu* lastMenu_ = nullptr;
    Menu* trayMenu_ = nullptr;  // the menu given with the icon
    std::vector<NativeWindowImpl*> windows_;
    runtime::WindowHandle nextHandle_ = 100;
};

// A window the program has made, as the fake shows it.
struct FakeRuntime::Window {
    runtime::FormDescription description;
    runtime::WindowHandle handle = 0;
    bool visible = false;
    int timesShown = 0;
    std::map<std::pair<std::string, int>, std::string> texts;

    std::string text(const std::string& control, int index) const {
        const auto found = texts.find({control, index});
        return found == texts.end() ? std::string() : found->second;
    }
};

}  // namespace quorvel::testing
