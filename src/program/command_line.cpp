// SPDX-License-Identifier: MIT
#include "program/command_line.h"

namespace quorvel {

const char* const kVersion = QUORVEL_VERSION;

namespace {

constexpr const char* kUsage =
    "Usage: quorvel [--help | --version]\n"
    "\n"
    "Quorvel lives in the system tray. Right press on its icon: your five bookmarks,\n"
    "URL編集 (edit them), ヘルプ (help) and 終了 (quit). Left press: your private folder.\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n";

// The argument as it may be shown on a terminal: control characters, which could drive it, as
// \xNN escapes.
std::string printable(const std::string& argument) {
    constexpr char kHex[] = "0123456789abcdef";
    std::string shown;
    for (const char c : argument) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f || c == '\\') {
            shown += "\\x";
            shown.push_back(kHex[byte >> 4]);
            shown.push_back(kHex[byte & 0xf]);
        } else {
            shown.push_back(c);
        }
    }
    return shown;
}

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    using Action = CommandLine::Action;
    if (arguments.empty()) {
        return {Action::Run, {}};
    }
    // --help and --version may come in any mix; the first one answers. Anything else refuses.
    for (const std::string& argument : arguments) {
        if (argument != "--help" && argument != "-h" && argument != "--version") {
            return {Action::Refuse, "quorvel: unexpected argument '" + printable(argument) +
                                        "'\nTry 'quorvel --help' for more information.\n"};
        }
    }
    if (arguments[0] == "--version") {
        return {Action::ShowVersion, std::string("Quorvel ") + kVersion + "\n"};
    }
    return {Action::ShowHelp, kUsage};
}

}  // namespace quorvel
