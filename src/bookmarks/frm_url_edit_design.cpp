#include "bookmarks/frm_url_edit_design.h"

namespace quorvel::bookmarks {

namespace {

runtime::FormDescription makeDesign() {
    using runtime::ControlKind;
    runtime::FormDescription design{kUrlEditCaption, 6255, 2640, {}};
    auto& controls = design.controls;
    controls.push_back({ControlKind::Label, "Label2", -1, "タイトル", 360, 120, 1695, 255, 7});
    controls.push_back({ControlKind::Label, "Label3", -1, "URL", 2160, 120, 1575, 375, 8});
    for (int row = 0; row < 5; ++row) {
        const int top = 360 + 360 * row;
        // Every row number reaches under its title box, which covers the rest of it.
        const int labelWidth = (row == 1 || row == 4) ? 735 : 855;
        controls.push_back({ControlKind::Label, "Label1", row, std::to_string(row + 1) + ".", 120,
                            top, labelWidth, 375, 2 + row});
        controls.push_back(
            {ControlKind::TextBox, "txtTitle", row, "", 360, top, 1695, 270, 9 + 2 * row});
        controls.push_back(
            {ControlKind::TextBox, "txtURL", row, "", 2160, top, 3975, 270, 10 + 2 * row});
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
