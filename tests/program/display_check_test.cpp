// SPDX-License-Identifier: MIT
#include "program/display_check.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvel {
namespace {

// Connection attempts that answer as told and count how often they were made.
struct Servers {
    using Answer = runtime::DisplayAnswer;
    bool x11Up = false;
    bool waylandUp = false;
    bool x11Silent = false;
    int x11Tries = 0;
    int waylandTries = 0;
    std::string x11Says;  // what a refusing X server gives as its reason
    DisplayReach reach() {
        return {[this] {
                    ++x11Tries;
                    return x11Up       ? Answer{}
                           : x11Silent ? Answer{Answer::Kind::Silent, {}}
                                       : Answer{Answer::Kind::Refused, x11Says};
                },
                [this] {
                    ++waylandTries;
                    return waylandUp ? Answer{} : Answer{Answer::Kind::Refused, {}};
                }};
    }
};

TEST(DisplayCheck, StartsWhenTheNamedDisplayAnswers) {
    Servers servers;
    servers.x11Up = servers.waylandUp = true;
    EXPECT_EQ(displayProblem({{}, ":0", {}}, servers.reach()), std::nullopt);
    EXPECT_EQ(displayProblem({{}, {}, "wayland-1"}, servers.reach()), std::nullopt);
    EXPECT_EQ(displayProblem({"xcb", ":0", {}}, servers.reach()), std::nullopt);
    EXPECT_EQ(displayProblem({"wayland", {}, {}}, servers.reach()), std::nullopt);
    EXPECT_EQ(displayProblem({{}, {}, {}, true}, servers.reach()), std::nullopt);
    // A Wayland session whose X display is gone still starts, and the other way round.
    servers.x11Up = false;
    EXPECT_EQ(displayProblem({{}, ":0", "wayland-1"}, servers.reach()), std::nullopt);
    EXPECT_EQ(displayProblem({"xcb;wayland", ":0", "wayland-1"}, servers.reach()), std::nullopt);
    servers = Servers();
    servers.x11Up = true;
    EXPECT_EQ(displayProblem({"wayland-egl;xcb:nodeadkeys", ":0", "wayland-1"}, servers.reach()),
              std::nullopt);
}

TEST(DisplayCheck, PlatformsWithoutAServerAreLeftToTheToolkit) {
    Servers servers;
    for (const char* platform : {"offscreen", "minimal", "xcb;offscreen", "vnc:size=800x600"}) {
        EXPECT_EQ(displayProblem({platform, {}, {}}, servers.reach()), std::nullopt) << platform;
    }
}

TEST(DisplayCheck, NoDisplayOrARefusingOneIsOneLineNamingIt) {
    Servers servers;
    EXPECT_EQ(displayProblem({{}, {}, {}}, servers.reach()),
              "quorvel: no display to show the tray icon on (DISPLAY is not set, WAYLAND_DISPLAY "
              "is not set)\n");
    EXPECT_EQ(servers.x11Tries + servers.waylandTries, 0);
    EXPECT_EQ(displayProblem({"", "", ""}, servers.reach()),
              "quorvel: no display to show the tray icon on (DISPLAY is not set, WAYLAND_DISPLAY "
              "is not set)\n");
    EXPECT_EQ(displayProblem({{}, ":7", {}}, servers.reach()),
              "quorvel: no display to show the tray icon on (the X display ':7' refuses the "
              "connection, WAYLAND_DISPLAY is not set)\n");
    EXPECT_EQ(servers.x11Tries, 1);
    EXPECT_EQ(displayProblem({"xcb", {}, "wayland-0"}, servers.reach()),
              "quorvel: no display to show the tray icon on (QT_QPA_PLATFORM=xcb: DISPLAY is not "
              "set)\n");
    EXPECT_EQ(displayProblem({"wayland;wayland-egl", ":1", "w"}, servers.reach()),
              "quorvel: no display to show the tray icon on (QT_QPA_PLATFORM=wayland;wayland-egl: "
              "the Wayland display 'w' refuses the connection)\n");
    servers.x11Says = "Authorization required, but no authorization protocol specified";
    EXPECT_EQ(displayProblem({"xcb", ":3", {}}, servers.reach()),
              "quorvel: no display to show the tray icon on (QT_QPA_PLATFORM=xcb: the X display "
              "':3' refuses the connection: Authorization required, but no authorization "
              "protocol specified)\n");
    const auto line = displayProblem({{}, ":1", "wayland-2"}, servers.reach());
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->find('\n'), line->size() - 1);
}

TEST(DisplayCheck, AServerThatNeverAnswersEndsTheSearch) {
    Servers servers;
    servers.x11Silent = servers.waylandUp = true;
    EXPECT_EQ(displayProblem({{}, ":4", "wayland-1"}, servers.reach()),
              "quorvel: no display to show the tray icon on (the X display ':4' does not "
              "answer)\n");
    EXPECT_EQ(servers.waylandTries, 0) << "the toolkit would wait on the X display first";
    EXPECT_EQ(silentX11Problem({"wayland;xcb", ":4", "w"}),
              "quorvel: no display to show the tray icon on (QT_QPA_PLATFORM=wayland;xcb: the "
              "Wayland display 'w' refuses the connection, the X display ':4' does not answer)\n");
}

}  // namespace
}  // namespace quorvel
