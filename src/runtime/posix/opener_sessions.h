// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::runtime::posix {

// The session id in a /proc/<pid>/stat line, its sixth field; nothing when the line is not one.
std::optional<pid_t> sessionInStat(std::string_view stat);

// The session of a running process; nothing when it has gone or cannot be read.
std::optional<pid_t> sessionOf(pid_t pid);

// The sessions this run's openers lead, by the text each opener was given. Each opener starts a
// session of its own, and what it starts stays in it, forked off or not: a process in one of
// them was started for that text, after the opener.
class OpenerSessions {
  public:
    // Per text; a session added beyond it replaces the oldest.
    static constexpr std::size_t kMaxPerTarget = 32;

    void add(const std::string& target, pid_t session);
    // Whether the process `pid` runs in the session of an opener started for `target`.
    bool holds(const std::string& target, pid_t pid) const;
    // The processes now running in the sessions of the openers started for `target`, by /proc.
    std::vector<pid_t> processes(const std::string& target) const;

  private:
    std::map<std::string, std::vector<pid_t>, std::less<>> sessions_;
};

}  // namespace quorvel::runtime::posix
