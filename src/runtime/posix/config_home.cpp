// SPDX-License-Identifier: MIT
#include "runtime/posix/config_home.h"

#include <pwd.h>
#include <unistd.h>
#include <cstdlib>
#include <vector>

namespace quorvel::runtime::posix {

namespace {

bool absolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

std::string passwordDatabaseHome() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr) {
        return std::string();
    }
    return found->pw_dir;
}

}  // namespace

std::string configHome(const char* xdgConfigHome, const char* home) {
    if (absolute(xdgConfigHome)) {
        return xdgConfigHome;
    }
    // The root folder is no home: the store would land in /.config.
    if (!absolute(home) || std::string(home).find_first_not_of('/') == std::string::npos) {
        return std::string();
    }
    std::string folder = home;
    if (folder.back() != '/') {
        folder += '/';
    }
    return folder + ".config";
}

std::string userConfigHome() {
    const char* home = std::getenv("HOME");
    const std::string fromDatabase = absolute(home) ? std::string() : passwordDatabaseHome();
    return configHome(std::getenv("XDG_CONFIG_HOME"),
                      fromDatabase.empty() ? home : fromDatabase.c_str());
}

}  // namespace quorvel::runtime::posix
