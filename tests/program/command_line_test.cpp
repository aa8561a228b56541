#include "program/command_line.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using Action = CommandLine::Action;

TEST(CommandLine, RunsWithNoArgumentsAndAnswersHelpAndVersion) {
    EXPECT_EQ(parseCommandLine({}).action, Action::Run);
    EXPECT_EQ(parseCommandLine({"--version"}).output, "Quorvel 2.00\n");
    const CommandLine help = parseCommandLine({"--help"});
    EXPECT_EQ(help.action, Action::ShowHelp);
    EXPECT_NE(help.output.find("Usage: quorvel"), std::string::npos);
}

TEST(CommandLine, RefusesAnythingElseNamingTheArgument) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"--bogus"}, {"http://x"}, {"--help", "--version"}, {""}, {"-platform"}}) {
        const CommandLine parsed = parseCommandLine(arguments);
        EXPECT_EQ(parsed.action, Action::Refuse);
        EXPECT_NE(parsed.output.find("'" + arguments[0] + "'"), std::string::npos);
    }
    // Control characters would reach the terminal: shown escaped, as is the escape's backslash.
    EXPECT_NE(parseCommandLine({"a\x1b]2;t\a\\"}).output.find("'a\\x1b]2;t\\x07\\x5c'"),
              std::string::npos);
}

}  // namespace
}  // namespace quorvel
