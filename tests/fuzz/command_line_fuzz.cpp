// SPDX-License-Identifier: MIT
// The program's arguments, as a user or a launcher may pass them.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "program/command_line.h"

// Input: the arguments, separated by NUL bytes (as in /proc/PID/cmdline).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> arguments;
    if (size > 0) {
        const std::string all(reinterpret_cast<const char*>(data), size);
        std::size_t start = 0;
        while (true) {
            const std::size_t end = all.find('\0', start);
            arguments.push_back(all.substr(start, end - start));
            if (end == std::string::npos) {
                break;
            }
            start = end + 1;
        }
    }
    using Action = quorvel::CommandLine::Action;
    const quorvel::CommandLine parsed = quorvel::parseCommandLine(arguments);
    check((parsed.action == Action::Run) == arguments.empty());
    check(parsed.action == Action::Run ? parsed.output.empty() : !parsed.output.empty());
    // What is printed back never carries control characters of the argument to the terminal.
    for (const char c : parsed.output) {
        const auto byte = static_cast<unsigned char>(c);
        check(byte >= 0x20 || c == '\n');
        check(byte != 0x7f);
    }
    return 0;
}
