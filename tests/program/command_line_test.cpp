// SPDX-License-Identifier: MIT
#include "program/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

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

TEST(CommandLine, HelpAndVersionInAnyMixTheFirstAnswers) {
    const auto help = parseCommandLine({"--help"}).output;
    const auto version = parseCommandLine({"--version"}).output;
    EXPECT_EQ(parseCommandLine({"--help", "--version"}).output, help);
    EXPECT_EQ(parseCommandLine({"-h", "--version", "--help"}).output, help);
    EXPECT_EQ(parseCommandLine({"--version", "--help"}).action, Action::ShowVersion);
    EXPECT_EQ(parseCommandLine({"--version", "--help", "-h"}).output, version);
    EXPECT_EQ(parseCommandLine({"--version", "--version"}).output, version);
}

TEST(CommandLine, RefusesAnythingElseNamingTheArgument) {
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"--bogus"}, {"http://x"}, {""}, {"-platform"}, {"--help=yes"}, {"-v"}}) {
        const CommandLine parsed = parseCommandLine(arguments);
        EXPECT_EQ(parsed.action, Action::Refuse);
        EXPECT_NE(parsed.output.find("'" + arguments[0] + "'"), std::string::npos);
    }
    // Control characters would reach the terminal: shown escaped, as is the escape's backslash.
    EXPECT_NE(parseCommandLine({"a\x1b]2;t\a\\"}).output.find("'a\\x1b]2;t\\x07\\x5c'"),
              std::string::npos);
    // Among --help or --version too: the stranger is named, nothing is answered.
    const std::vector<std::pair<std::vector<std::string>, std::string>> mixed{
        {{"--help", "--bogus"}, "--bogus"},
        {{"--version", "x", "--help"}, "x"},
        {{"--bogus", "--version"}, "--bogus"}};
    for (const auto& [arguments, stranger] : mixed) {
        const CommandLine parsed = parseCommandLine(arguments);
        EXPECT_EQ(parsed.action, Action::Refuse);
        EXPECT_NE(parsed.output.find("'" + stranger + "'"), std::string::npos) << parsed.output;
    }
}

}  // namespace
}  // namespace quorvel
