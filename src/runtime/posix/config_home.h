// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace quorvel::runtime::posix {

// The user's configuration folder by the XDG Base Directory rules: XDG_CONFIG_HOME when it is
// an absolute path (a relative one is ignored), else ".config" in the home folder. Empty when
// there is no usable home: none given, a relative one, or the root folder.
std::string configHome(const char* xdgConfigHome, const char* home);

// The same from the environment; without HOME, the home folder the password database gives.
std::string userConfigHome();

}  // namespace quorvel::runtime::posix
