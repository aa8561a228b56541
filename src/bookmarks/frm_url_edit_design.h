// SPDX-License-Identifier: MIT
#pragma once

#include "runtime/form_description.h"

namespace quorvel::bookmarks {

inline constexpr const char* kUrlEditCaption = "Quorvel Private URL Editor";

// The editor window at design time: five rows of a title box and a URL box, headings, row
// numbers, and Cancel and OK below; all in twips.
const runtime::FormDescription& frmUrlEditDesign();

}  // namespace quorvel::bookmarks
