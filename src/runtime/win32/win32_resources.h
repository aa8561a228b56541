// SPDX-License-Identifier: MIT
#pragma once

// Resource numbers shared by quorvel.rc and the code; plain defines, since windres reads them.
#define QUORVEL_ICON_ID 1
