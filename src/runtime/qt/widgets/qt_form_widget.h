// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "runtime/form_description.h"

namespace quorvel::runtime::qt {

// A top-level window built from a form description: fixed size, centred, controls at their
// twips rectangles and in their tab order.
class QtFormWidget final : public QWidget {
  public:
    QtFormWidget(const FormDescription& description, double dotsPerInch,
                 std::function<void(const std::string&, int)> onClick,
                 std::function<void()> onClose);

    QWidget* control(const std::string& name, int index) const;
    // The control with the lowest tab index that takes the focus.
    QWidget* firstInTabOrder() const { return firstInTabOrder_; }
    bool announcedAsDialog() const { return dialog_; }
    // The label a control is read with, if its description names one.
    QWidget* labelOf(const QWidget* control) const;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    std::map<std::pair<std::string, int>, QWidget*> controls_;
    QWidget* firstInTabOrder_ = nullptr;
    std::function<void()> onClose_;
    std::map<const QWidget*, QWidget*> labels_;
    bool dialog_ = false;
};

}  // namespace quorvel::runtime::qt
