// SPDX-License-Identifier: MIT
#pragma once

class QMenu;

namespace quorvel::runtime::qt {

// Lets Qt's accessibility report what the port describes and its standard objects cannot say:
// a form shown as a dialog, text boxes named and labelled by a label that is not their buddy,
// and menu items with a description (the action's status tip). Installing twice is harmless.
void installAccessibility();

// The menu's items are read with their actions' status tips as descriptions.
void describeItemsOf(QMenu& menu);

}  // namespace quorvel::runtime::qt
