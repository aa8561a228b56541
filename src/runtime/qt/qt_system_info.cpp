// SPDX-License-Identifier: MIT
#include "runtime/qt/qt_system_info.h"

#include <pwd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <vector>

#include "runtime/qt/common/qt_text.h"

namespace quorvel::runtime::qt {

std::string QtSystemInfo::applicationFolder() const {
    return fromQt(QCoreApplication::applicationDirPath());
}

std::optional<std::string> QtSystemInfo::userName() const {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    while (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &result) == ERANGE &&
           buffer.size() < (1u << 20)) {
        buffer.resize(buffer.size() * 2);
    }
    if (result == nullptr || result->pw_name == nullptr || result->pw_name[0] == '\0') {
        return std::nullopt;
    }
    return std::string(result->pw_name);
}

}  // namespace quorvel::runtime::qt
