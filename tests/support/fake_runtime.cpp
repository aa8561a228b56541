// SPDX-License-Identifier: MIT
#include "support/fake_runtime.h"

#include <algorithm>
#include <stdexcept>

namespace quorvel::testing {

class FakeRuntime::Menu final : public runtime::PopupMenu {
  public:
    Menu(FakeRuntime& fake, std::vector<runtime::MenuItem> items)
        : fake_(fake), items_(std::move(items)) {}
    ~Menu() override {
        if (fake_.lastMenu_ == this) {
            fake_.lastMenu_ = nullptr;
        }
        if (fake_.trayMenu_ == this) {
            fake_.trayMenu_ = nullptr;
        }
    }

    void setCaption(std::size_t item, const std::string& caption) override {
        fake_.log.push_back("menu.caption " + std::to_string(item) + " " + caption);
        items_.at(item).caption = caption;
    }
    void setDescription(std::size_t item, const std::string& description) override {
        items_.at(item).description = description;
    }
    const std::vector<runtime::MenuItem>& items() const { return items_; }

    void popup() override {
        fake_.log.push_back("menu.popup");
        ++fake_.popups;
        if (fake_.menuChoices_.empty()) {
            return;
        }
        const std::string choice = fake_.menuChoices_.front();
        fake_.menuChoices_.pop_front();
        choose(choice);
    }

    void choose(const std::string& choice) {
        const auto found = std::find_if(items_.begin(), items_.end(),
                                        [&](const auto& item) { return item.name == choice; });
        if (found == items_.end() || found->isSeparator()) {
            throw std::logic_error("no menu item to choose named " + choice);
        }
        const auto handler = found->onClick;
        handler();
    }

  private:
    FakeRuntime& fake_;
    std::vector<runtime::MenuItem> items_;
};

class FakeRuntime::NativeWindowImpl final : public runtime::NativeWindow {
  public:
    NativeWindowImpl(FakeRuntime& fake, Window state, runtime::WindowEvents& events)
        : fake_(fake), state_(std::move(state)), events_(events) {
        fake_.windows_.push_back(this);
    }
    ~NativeWindowImpl() override {
        fake_.log.push_back("window.destroy " + state_.description.caption);
        std::erase(fake_.windows_, this);
    }

    runtime::WindowHandle handle() const override { return state_.handle; }
    runtime::IconHandle icon() const override { return kWindowIcon; }
    void setVisible(bool visible) override {
        fake_.log.push_back("window.visible " + state_.description.caption + " " +
                            (visible ? "1" : "0"));
        state_.visible = visible;
        if (visible) {
            ++state_.timesShown;
        }
    }
    std::string text(const std::string& control, int index) const override {
        return state_.text(control, index);
    }
    void setText(const std::string& control, int index, const std::string& text) override {
        state_.texts[{control, index}] = text;
    }

    Window& state() { return state_; }
    runtime::WindowEvents& events() { return events_; }

  private:
    FakeRuntime& fake_;
    Window state_;
    runtime::WindowEvents& events_;
};

FakeRuntime::FakeRuntime()
    : forms_(*this), runtime_{*this, *this, *this, *this, *this, *this, *this, *this, forms_} {}

FakeRuntime::~FakeRuntime() = default;

void FakeRuntime::pressIcon(std::uint32_t mouseMessage) {
    if (!trayIcon) {
        throw std::logic_error("no icon in the tray");
    }
    forms_.send(trayIcon->hWnd, trayIcon->uCallbackMessage, trayIcon->uID, mouseMessage);
}

void FakeRuntime::chooseFromTrayMenu(const std::string& itemName) {
    chooseOnNextPopup(itemName);
    pressIcon(516);
}

void FakeRuntime::chooseFromHostMenu(const std::string& itemName) {
    if (trayMenu_ == nullptr) {
        throw std::logic_error("no tray menu to choose " + itemName + " from");
    }
    trayMenu_->choose(itemName);
}

std::vector<std::string> FakeRuntime::menuCaptions() const {
    std::vector<std::string> captions;
    for (const auto& item : lastMenu_ ? lastMenu_->items() : std::vector<runtime::MenuItem>()) {
        captions.push_back(item.caption);
    }
    return captions;
}

std::vector<std::string> FakeRuntime::menuDescriptions() const {
    std::vector<std::string> descriptions;
    for (const auto& item : lastMenu_ ? lastMenu_->items() : std::vector<runtime::MenuItem>()) {
        descriptions.push_back(item.description);
    }
    return descriptions;
}

std::string FakeRuntime::menuCaption(std::size_t index) const {
    return lastMenu_ ? lastMenu_->items().at(index).caption : std::string();
}

std::string FakeRuntime::menuDescription(std::size_t index) const {
    return lastMenu_ ? lastMenu_->items().at(index).description : std::string();
}

FakeRuntime::Window* FakeRuntime::windowTitled(const std::string& caption) {
    for (auto* window : windows_) {
        if (window->state().description.caption == caption) {
            return &window->state();
        }
    }
    return nullptr;
}

void FakeRuntime::type(Window& window, const std::string& control, int index,
                       const std::string& text) {
    window.texts[{control, index}] = text;
}

void FakeRuntime::click(Window& window, const std::string& control, int index) {
    for (auto* native : windows_) {
        if (&native->state() == &window) {
            native->events().controlClicked(control, index);
            return;
        }
    }
    throw std::logic_error("no such window");
}

void FakeRuntime::closeByTitleBar(Window& window) {
    for (auto* native : windows_) {
        if (&native->state() == &window) {
            native->events().closeRequested();
            return;
        }
    }
    throw std::logic_error("no such window");
}

void FakeRuntime::quit() {
    log.push_back("loop.quit");
    loopEnded = true;
}

std::unique_ptr<runtime::NativeWindow> FakeRuntime::createWindow(
    const runtime::FormDescription& description, runtime::WindowEvents& events) {
    log.push_back("window.create " + description.caption);
    Window state;
    state.description = description;
    state.handle = nextHandle_++;
    return std::make_unique<NativeWindowImpl>(*this, std::move(state), events);
}

std::unique_ptr<runtime::PopupMenu> FakeRuntime::createMenu(std::vector<runtime::MenuItem> items) {
    auto menu = std::make_unique<Menu>(*this, std::move(items));
    lastMenu_ = menu.get();
    return menu;
}

void FakeRuntime::setForegroundWindow(runtime::WindowHandle window) {
    log.push_back("foreground " + std::to_string(window));
}

void FakeRuntime::add(const runtime::NotifyIconData& record, runtime::PopupMenu& menu) {
    log.push_back("tray.add");
    trayMenu_ = static_cast<Menu*>(&menu);
    ++trayAdds;
    trayIcon = record;
}

void FakeRuntime::remove(const runtime::NotifyIconData& record) {
    log.push_back("tray.remove");
    ++trayRemoves;
    if (trayIcon && trayIcon->hWnd == record.hWnd && trayIcon->uID == record.uID) {
        trayIcon.reset();
    }
}

void FakeRuntime::show(const std::string& text, int style, const std::string& title,
                       const std::string& details) {
    log.push_back("messagebox " + title);
    messages.push_back({text, style, title, details});
    if (whileMessageShown) {
        whileMessageShown();
    }
}

std::string FakeRuntime::get(const std::string& application, const std::string& section,
                             const std::string& key, const std::string& fallback) {
    log.push_back("store.get " + key);
    const auto found = store.find(storeKey(application, section, key));
    return found == store.end() ? fallback : found->second;
}

runtime::SaveOutcome FakeRuntime::save(const std::string& application, const std::string& section,
                                       const runtime::SettingsEntries& entries,
                                       const std::vector<std::string>& changed) {
    std::string keys;
    for (const auto& [key, value] : entries) {
        keys += (keys.empty() ? "" : ",") + key;
    }
    lastSaveChanged = changed;
    if (!storeWritable) {
        log.push_back("store.save failed");
        return {false, storeFailure, {}};
    }
    log.push_back("store.save " + keys);
    runtime::SaveOutcome outcome{true, {}, {}};
    for (const auto& [key, value] : entries) {
        const std::string name = storeKey(application, section, key);
        const bool held = store.count(name) != 0;
        if (!held || std::find(changed.begin(), changed.end(), key) != changed.end()) {
            store[name] = value;
        }
        outcome.stored.emplace_back(key, store[name]);
    }
    return outcome;
}

void FakeRuntime::open(const std::string& target) {
    log.push_back("open " + target);
    opened.push_back(target);
}

std::optional<runtime::PathInfo> FakeRuntime::examine(const std::string& path) const {
    const auto found = paths.find(path);
    return found == paths.end() ? std::nullopt : std::optional(found->second);
}

bool FakeRuntime::createPrivateDirectory(const std::string& path) {
    if (!directoriesCreatable || paths.count(path) != 0) {
        log.push_back("mkdir failed " + path);
        return false;
    }
    log.push_back("mkdir " + path);
    paths[path] = {runtime::PathInfo::Kind::Directory, true};
    return true;
}

void FakeRuntime::noteWindowsBeforeOpen(const runtime::FolderWindow& folder) {
    windowsBeforeOpen =
        static_cast<std::size_t>(std::count(windowTitles.begin(), windowTitles.end(), folder.name));
}

bool FakeRuntime::closeFolderWindow(const runtime::FolderWindow& folder) {
    log.push_back("close-window " + folder.path);
    if (desktopFails) {
        throw std::runtime_error("no display");
    }
    // The first window titled with the name that came after the open.
    std::size_t seen = 0;
    for (auto window = windowTitles.begin(); window != windowTitles.end(); ++window) {
        if (*window == folder.name && seen++ >= windowsBeforeOpen) {
            windowTitles.erase(window);
            return true;
        }
    }
    return false;
}

}  // namespace quorvel::testing
