// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace quorvel::runtime {

enum class ControlKind { Label, TextBox, Button };

// Rectangles are in twips, 1/1440 inch.
struct ControlDescription {
    ControlKind kind;
    std::string name;
    int index;  // -1 outside a control array
    std::string caption;
    int left;
    int top;
    int width;
    int height;
    int tabIndex;
    // What assistive technology announces: a name where the caption does not say it, and the
    // label control (name and index) that the control is read with.
    std::string accessibleName = {};
    std::string accessibleDescription = {};
    std::string labelledBy = {};
    int labelledByIndex = -1;
};

// What a window looks like at design time; each backend renders it.
struct FormDescription {
    std::string caption;
    int clientWidth = 0;
    int clientHeight = 0;
    std::vector<ControlDescription> controls;
    // Announced to assistive technology as a dialog rather than a plain window.
    bool dialog = false;
};

}  // namespace quorvel::runtime
