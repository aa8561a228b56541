// SPDX-License-Identifier: MIT
#include "bookmarks/frm_url_edit_design.h"

namespace quorvel::bookmarks {

namespace {

runtime::FormDescription makeDesign() {
    using runtime::ControlKind;
    runtime::FormDescription design{kUrlEditCaption, 6255, 2640, {}};
    design.dialog = true;
    auto& controls = design.controls;
    const std::string titleHeading = "タイトル";
    const std::string urlHeading = "URL";
    controls.push_back({ControlKind::Label, "Label2", -1, titleHeading, 360, 120, 1695, 255, 7});
    controls.push_back({ControlKind::Label, "Label3", -1, urlHeading, 2160, 120, 1575, 375, 8});
    for (int row = 0; row < 5; ++row) {
        const int top = 360 + 360 * row;
        const std::string number = std::to_string(row + 1) + ".";
        // Every row number reaches under its title box, which covers the rest of it.
        const int labelWidth = (row == 1 || row == 4) ? 735 : 855;
        controls.push_back(
            {ControlKind::Label, "Label1", row, number, 120, top, labelWidth, 375, 2 + row});
        // A box is read as its row and its column, as a sighted user sees it.
        auto box = [&](const char* name, int left, int width, int tabIndex,
                       const std::string& heading) {
            runtime::ControlDescription control{
                ControlKind::TextBox, name, row, "", left, top, width, 270, tabIndex};
            control.accessibleName = number + " " + heading;
            control.labelledBy = "Label1";
            control.labelledByIndex = row;
            controls.push_back(control);
        };
        box("txtTitle", 360, 1695, 9 + 2 * row, titleHeading);
        box("txtURL", 2160, 3975, 10 + 2 * row, urlHeading);
    }
    controls.push_back({ControlKind::Button, "Command1", -1, "Cancel", 3720, 2160, 1095, 375, 1});
    controls.push_back({ControlKind::Button, "cmdOK", -1, "OK", 5040, 2160, 1095, 375, 0});
    return design;
}

}  // namespace

const runtime::FormDescription& frmUrlEditDesign() {
    static const runtime::FormDescription design = makeDesign();
    return design;
}

}  // namespace quorvel::bookmarks
