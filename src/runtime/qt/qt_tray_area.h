#pragma once

#include <QElapsedTimer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <map>
#include <memory>
#include <utility>

#include "runtime/form_registry.h"
#include "runtime/tray_area.h"

namespace quorvel::runtime::qt {

class QtPopupMenu;

// Tray icons through QSystemTrayIcon, in XEmbed trays and StatusNotifier hosts. Qt picks the
// kind once, when the first icon is made, so an icon added while no tray of either kind exists
// (a login where the panel comes later) waits, bounded, for one to appear. XEmbed icons dock
// again by themselves whenever a tray host (re)appears.
class QtTrayArea final : public TrayArea {
  public:
    explicit QtTrayArea(FormRegistry& forms);
    ~QtTrayArea() override;

    void add(const NotifyIconData& record, PopupMenu& menu) override;
    void remove(const NotifyIconData& record) override;

    // The mouse message that a Qt activation stands for; 0 for none.
    static std::uint32_t mouseMessageFor(QSystemTrayIcon::ActivationReason reason);

  private:
    using Key = std::pair<WindowHandle, std::uint32_t>;
    struct Entry {
        NotifyIconData record;
        QtPopupMenu* menu = nullptr;
        std::unique_ptr<QSystemTrayIcon> icon;  // null while waiting for a tray
    };

    void showWaitingIcons();
    void show(Entry& entry, bool hostDrawsMenu);

    FormRegistry& forms_;
    std::map<Key, Entry> entries_;
    QTimer trayPoll_;
    QElapsedTimer waited_;
};

}  // namespace quorvel::runtime::qt
