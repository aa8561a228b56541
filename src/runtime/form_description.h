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
};

// What a window looks like at design time; each backend renders it.
struct FormDescription {
    std::string caption;
    int clientWidth = 0;
    int clientHeight = 0;
    std::vector<ControlDescription> controls;
};

}  // namespace quorvel::runtime
