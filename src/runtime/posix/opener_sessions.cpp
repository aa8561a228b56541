// SPDX-License-Identifier: MIT
#include "runtime/posix/opener_sessions.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>

namespace quorvel::runtime::posix {

namespace {

std::optional<pid_t> numberAt(std::string_view text) {
    pid_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value <= 0) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<pid_t> sessionInStat(std::string_view stat) {
    // The command name in parentheses may hold anything, ")" and spaces too: the fields that
    // follow start after its last ")". Then state, parent, process group, session.
    const std::size_t close = stat.rfind(')');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view rest = stat.substr(close + 1);
    for (int field = 0; field < 4; ++field) {
        if (!rest.starts_with(' ')) {
            return std::nullopt;
        }
        rest.remove_prefix(1);
        const std::size_t end = rest.find(' ');
        if (field < 3) {
            if (end == std::string_view::npos || end == 0) {
                return std::nullopt;
            }
            rest.remove_prefix(end);
        } else {
            return numberAt(rest.substr(0, end));
        }
    }
    return std::nullopt;
}

std::optional<pid_t> sessionOf(pid_t pid) {
    if (pid <= 0) {
        return std::nullopt;
    }
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(file, line)) {
        return std::nullopt;
    }
    return sessionInStat(line);
}

void OpenerSessions::add(const std::string& target, pid_t session) {
    std::vector<pid_t>& sessions = sessions_[target];
    if (sessions.size() >= kMaxPerTarget) {
        sessions.erase(sessions.begin());
    }
    sessions.push_back(session);
}

bool OpenerSessions::holds(const std::string& target, pid_t pid) const {
    const auto found = sessions_.find(target);
    if (found == sessions_.end()) {
        return false;
    }
    const auto session = sessionOf(pid);
    return session &&
           std::find(found->second.begin(), found->second.end(), *session) != found->second.end();
}

std::vector<pid_t> OpenerSessions::processes(const std::string& target) const {
    std::vector<pid_t> found;
    const auto sessions = sessions_.find(target);
    if (sessions == sessions_.end()) {
        return found;
    }
    std::error_code error;
    std::filesystem::directory_iterator entries("/proc", error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        const auto pid = numberAt(name);
        if (!pid) {
            continue;
        }
        // A process that ends meanwhile has no session to read: it is left out.
        const auto session = sessionOf(*pid);
        if (session && std::find(sessions->second.begin(), sessions->second.end(), *session) !=
                           sessions->second.end()) {
            found.push_back(*pid);
        }
    }
    return found;
}

}  // namespace quorvel::runtime::posix
