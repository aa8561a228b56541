// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include "runtime/qt/widgets/qt_form_widget.h"
#include "runtime/window_system.h"

namespace quorvel::runtime::qt {

// A form's window. The widget is made only when something needs it, so a window that is never
// shown (the hidden main window) costs no native resources.
class QtWindow final : public NativeWindow {
  public:
    QtWindow(WindowHandle handle, FormDescription description, double dotsPerInch,
             WindowEvents& events);
    ~QtWindow() override;

    WindowHandle handle() const override { return handle_; }
    IconHandle icon() const override;
    void setVisible(bool visible) override;
    std::string text(const std::string& control, int index) const override;
    void setText(const std::string& control, int index, const std::string& text) override;

    // The widget, made on first use.
    QtFormWidget& widget() const;

  private:
    WindowHandle handle_;
    FormDescription description_;
    double dotsPerInch_;
    WindowEvents& events_;
    mutable std::unique_ptr<QtFormWidget> widget_;
    bool shownBefore_ = false;
};

}  // namespace quorvel::runtime::qt
