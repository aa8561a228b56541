#pragma once

#include <QSystemTrayIcon>
#include <map>
#include <memory>
#include <utility>

#include "runtime/form_registry.h"
#include "runtime/tray_area.h"

namespace quorvel::runtime::qt {

// Tray icons through QSystemTrayIcon, which docks into XEmbed and StatusNotifier trays and docks
// again whenever a tray appears.
class QtTrayArea final : public TrayArea {
  public:
    explicit QtTrayArea(FormRegistry& forms) : forms_(forms) {}
    ~QtTrayArea() override;

    void add(const NotifyIconData& record) override;
    void remove(const NotifyIconData& record) override;

    // The mouse message that a Qt activation stands for; 0 for none.
    static std::uint32_t mouseMessageFor(QSystemTrayIcon::ActivationReason reason);

  private:
    using Key = std::pair<WindowHandle, std::uint32_t>;

    FormRegistry& forms_;
    std::map<Key, std::unique_ptr<QSystemTrayIcon>> icons_;
};

}  // namespace quorvel::runtime::qt
