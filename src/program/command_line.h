// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace quorvel {

// The version of project() in CMakeLists.txt.
extern const char* const kVersion;

struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Refuse };
    Action action = Action::Run;
    std::string output;  // what to print: usage, version, or the reason for refusing
};

// The program takes no arguments of its own beyond --help and --version.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

}  // namespace quorvel
