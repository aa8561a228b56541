// SPDX-License-Identifier: MIT
#pragma once

#include <QDBusServiceWatcher>
#include <QObject>
#include <QSystemTrayIcon>
#include <functional>
#include <map>
#include <memory>
#include <utility>

#include "runtime/form_registry.h"
#include "runtime/qt/tray/status_notifier_item.h"
#include "runtime/qt/tray/x11_tray_selection.h"
#include "runtime/tray_area.h"

namespace quorvel::runtime::qt {

class QtPopupMenu;

// Tray icons on the best notification area present, followed for the whole run by events: a
// StatusNotifier item of our own while a watcher is on the session bus, else QSystemTrayIcon in
// an XEmbed tray, else nothing until one appears. Qt picks its tray kind once per run, when the
// first QSystemTrayIcon is made, so one is made only while no watcher exists: XEmbed then.
class QtTrayArea final : public TrayArea {
  public:
    explicit QtTrayArea(FormRegistry& forms);
    ~QtTrayArea() override;

    void add(const NotifyIconData& record, PopupMenu& menu) override;
    void remove(const NotifyIconData& record) override;

    // Whether a notification area of either kind exists now.
    bool trayPresent() const;
    // Called whenever one appears where there was none.
    void setOnTrayAppeared(std::function<void()> onAppeared) {
        onAppeared_ = std::move(onAppeared);
    }

    // The mouse message that a Qt activation stands for; 0 for none.
    static std::uint32_t mouseMessageFor(QSystemTrayIcon::ActivationReason reason);

  private:
    enum class Kind { None, StatusNotifier, XEmbed };
    using Key = std::pair<WindowHandle, std::uint32_t>;
    struct Entry {
        NotifyIconData record;
        QtPopupMenu* menu = nullptr;
        Kind shownOn = Kind::None;
        std::unique_ptr<QSystemTrayIcon> xembed;
        std::unique_ptr<StatusNotifierItem> item;
    };

    Kind bestTray() const;
    // Puts every icon on the best tray present; queued from the presence events.
    void followTrays();
    void scheduleFollow();
    void show(Entry& entry, Kind kind);
    static void hide(Entry& entry);

    FormRegistry& forms_;
    QObject context_;
    std::map<Key, Entry> entries_;
    std::unique_ptr<X11TraySelection> xembedTray_;
    std::unique_ptr<QDBusServiceWatcher> watcherWatch_;
    bool watcherPresent_ = false;
    bool followScheduled_ = false;
    bool wasPresent_ = false;
    std::function<void()> onAppeared_;
};

}  // namespace quorvel::runtime::qt
